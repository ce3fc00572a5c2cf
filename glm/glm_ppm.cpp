// Raw (P6) PPM image reading.
#include "glm.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Header lines are read at most this many characters at a time; longer lines
// (long comments) arrive in pieces.
static const int kPpmLineChars = 69;
// The header holds width, height and maximum sample value, in this order.
static const int kPpmHeaderNumbers = 3;
static const int kPpmBytesPerPixel = 3;
// Largest image accepted, in pixels (64 megapixels, 192 MiB of samples): keeps
// a hostile or broken header from asking for an absurd allocation.
static const int64_t kPpmMaxPixels = int64_t(64) * 1024 * 1024;

// Reads the next line piece into line; false at end of file.
static bool readHeaderLine(std::FILE *file, char (&line)[kPpmLineChars + 1])
{
    return std::fgets(line, sizeof line, file) != nullptr;
}

// Parses up to wanted whitespace-separated decimal numbers from the start of
// line into values and returns how many it parsed. Numbers beyond the int range
// are clamped, so that the size check rejects them.
static int parseHeaderNumbers(const char *line, int *values, int wanted)
{
    int parsed = 0;
    while (parsed < wanted) {
        char *end = nullptr;
        errno = 0;
        long value = std::strtol(line, &end, 10);
        if (end == line)
            break;
        if (value > INT_MAX || (errno == ERANGE && value > 0))
            value = INT_MAX;
        if (value < INT_MIN || (errno == ERANGE && value < 0))
            value = INT_MIN;
        values[parsed++] = static_cast<int>(value);
        line = end;
    }
    return parsed;
}

// Collects width, height and maximum from the lines after the magic, skipping
// comment lines; the numbers may be grouped over the lines in any way. False
// when the file ends first.
static bool readHeaderNumbers(std::FILE *file, int (&header)[kPpmHeaderNumbers])
{
    char line[kPpmLineChars + 1];
    int count = 0;
    while (count < kPpmHeaderNumbers) {
        if (!readHeaderLine(file, line))
            return false;
        if (line[0] == '#')
            continue;
        count += parseHeaderNumbers(line, header + count, kPpmHeaderNumbers - count);
    }
    return true;
}

// Number of sample bytes of a width x height image, or 0 when the size is not
// positive or above the cap (so the product cannot overflow either).
static size_t imageBytes(int width, int height)
{
    if (width <= 0 || height <= 0)
        return 0;
    const int64_t pixels = int64_t(width) * int64_t(height);
    if (pixels > kPpmMaxPixels)
        return 0;
    return static_cast<size_t>(pixels) * kPpmBytesPerPixel;
}

static bool hasRawMagic(std::FILE *file)
{
    char line[kPpmLineChars + 1];
    return readHeaderLine(file, line) && std::strncmp(line, "P6", 2) == 0;
}

// Reads the header; on failure prints why on standard error and returns 0,
// else the number of sample bytes that follow.
static size_t readHeader(std::FILE *file, const char *filename, int *width, int *height)
{
    if (!hasRawMagic(file)) {
        std::fprintf(stderr, "%s: Not a raw PPM file\n", filename);
        return 0;
    }
    int header[kPpmHeaderNumbers] = {0, 0, 0};
    if (!readHeaderNumbers(file, header)) {
        std::fprintf(stderr, "%s: PPM header ends before width, height and maximum\n", filename);
        return 0;
    }
    const size_t bytes = imageBytes(header[0], header[1]);
    if (bytes == 0) {
        std::fprintf(stderr, "%s: Unsupported PPM image size %d x %d\n", filename, header[0],
                     header[1]);
        return 0;
    }
    *width = header[0];
    *height = header[1];
    return bytes;
}

unsigned char *glmLoadPPM(const char *filename, int *width, int *height)
{
    std::FILE *file = std::fopen(filename, "rb");
    if (!file) {
        std::perror(filename);
        return nullptr;
    }
    int imageWidth = 0;
    int imageHeight = 0;
    const size_t bytes = readHeader(file, filename, &imageWidth, &imageHeight);
    unsigned char *image = nullptr;
    if (bytes > 0) {
        // Zero-filled, so that a short pixel block leaves defined bytes behind.
        image = static_cast<unsigned char *>(std::calloc(bytes, 1));
        if (image)
            std::fread(image, 1, bytes, file);
    }
    std::fclose(file);
    if (image) {
        *width = imageWidth;
        *height = imageHeight;
    }
    return image;
}
