#include "alarmtone.h"
#include "scenelayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace
{

constexpr size_t kHeaderBytes = 44;
constexpr int kLoudPeak = 10000; // of 32767: an alarm, not a whisper

std::vector<std::uint8_t> committedSound()
{
    std::ifstream file(std::string(RADAR_SOURCE_DIR "/") + scene::kSoundFolder + scene::kAlarmSound,
                       std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(AlarmToneTest, TheCommittedSoundIsTheGeneratorsAndALoudShortPcmWave)
{
    const std::vector<std::uint8_t> wav = makeAlarmWav();
    EXPECT_EQ(committedSound(), wav) << "rebuild it: build/tools/soundgen/soundgen sounds";
    ASSERT_GT(wav.size(), kHeaderBytes);
    EXPECT_TRUE(std::equal(wav.begin(), wav.begin() + 4, "RIFF"));
    EXPECT_TRUE(std::equal(wav.begin() + 36, wav.begin() + 40, "data"));
    int peak = 0;
    for (size_t i = kHeaderBytes; i + 1 < wav.size(); i += 2)
        peak = std::max(peak, std::abs(int(std::int16_t(wav[i] | (wav[i + 1] << 8)))));
    EXPECT_GT(peak, kLoudPeak);
    EXPECT_LE(peak, 32767 * 2 / 3);
}
