#include "faultoptions.h"

#include "frameencoder.h"

namespace
{

constexpr float kFillerY = 0.25f; // screen units, below the centre
constexpr float kHalf = 0.5f;

} // namespace

TargetList FaultOptions::padded(const TargetList &targets) const
{
    TargetList result = targets;
    const int extra = oversizeCount - targets.size();
    for (int k = 0; k < extra; ++k) {
        const float x = (static_cast<float>(k) + kHalf) / static_cast<float>(extra);
        result.append(SimTarget{x, kFillerY, 0});
    }
    return result;
}

void FaultOptions::shape(QByteArray &frame) const
{
    FrameEncoder::shortenSizeField(frame, sizeShortfall);
}
