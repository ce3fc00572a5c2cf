#include "alarmtone.h"

#include <cmath>

namespace
{

constexpr int kSampleRate = 44100;
constexpr int kBitsPerSample = 16;
constexpr int kChannels = 1;
constexpr double kPi = 3.14159265358979323846;

// A tone: its pitch, where it starts and how long it lasts, in seconds.
struct Tone {
    double hertz;
    double start;
    double length;
};
constexpr Tone kTones[] = {{880.0, 0.0, 0.12}, {1320.0, 0.16, 0.14}};
constexpr double kLength = 0.3;       // seconds in all
constexpr double kLoudness = 0.6;     // of full scale: loud, with room to spare
constexpr double kFadeSeconds = 0.01; // each tone fades in and out, so it does not click
constexpr double kFullScale = 32767.0;
constexpr std::uint32_t kBytesPerSample = kBitsPerSample / 8;
constexpr std::uint32_t kRiffTagAndSizeBytes = 8;   // "RIFF" and the size after it
constexpr std::uint32_t kHeaderBytesAfterSize = 36; // "WAVE" and the two chunk headers

double envelope(double t, const Tone &tone)
{
    const double sinceStart = t - tone.start;
    const double untilEnd = tone.start + tone.length - t;
    if (sinceStart < 0.0 || untilEnd < 0.0)
        return 0.0;
    return std::fmin(1.0, std::fmin(sinceStart, untilEnd) / kFadeSeconds);
}

double sampleAt(double t)
{
    double value = 0.0;
    for (const Tone &tone : kTones)
        value += envelope(t, tone) * std::sin(2.0 * kPi * tone.hertz * (t - tone.start));
    return kLoudness * value;
}

void putLittleEndian(std::vector<std::uint8_t> &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

void putTag(std::vector<std::uint8_t> &out, const char (&tag)[5])
{
    out.insert(out.end(), tag, tag + 4);
}

// The RIFF header of a PCM file with dataBytes of samples.
void putHeader(std::vector<std::uint8_t> &out, std::uint32_t dataBytes)
{
    constexpr std::uint32_t kFormatChunkBytes = 16;
    constexpr std::uint32_t kPcm = 1;
    constexpr std::uint32_t kBlockAlign = kChannels * kBytesPerSample;
    putTag(out, "RIFF");
    putLittleEndian(out, kHeaderBytesAfterSize + dataBytes, 4);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putLittleEndian(out, kFormatChunkBytes, 4);
    putLittleEndian(out, kPcm, 2);
    putLittleEndian(out, kChannels, 2);
    putLittleEndian(out, kSampleRate, 4);
    putLittleEndian(out, kSampleRate * kBlockAlign, 4);
    putLittleEndian(out, kBlockAlign, 2);
    putLittleEndian(out, kBitsPerSample, 2);
    putTag(out, "data");
    putLittleEndian(out, dataBytes, 4);
}

} // namespace

std::vector<std::uint8_t> makeAlarmWav()
{
    const int samples = int(std::lround(kLength * kSampleRate));
    const std::uint32_t dataBytes = std::uint32_t(samples) * kBytesPerSample;
    // The file's size is known before its first byte, so it is made room for
    // once rather than grown from nothing a few bytes at a time.
    std::vector<std::uint8_t> wav;
    wav.reserve(kRiffTagAndSizeBytes + kHeaderBytesAfterSize + dataBytes);
    putHeader(wav, dataBytes);
    for (int i = 0; i < samples; ++i) {
        const long value = std::lround(kFullScale * sampleAt(double(i) / kSampleRate));
        putLittleEndian(wav, std::uint32_t(std::uint16_t(std::int16_t(value))), 2);
    }
    return wav;
}
