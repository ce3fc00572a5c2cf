// Arbitrary bytes as a PPM file through glmLoadPPM. An accepted image must be
// positive in both dimensions and its array must hold all of its samples.
#include "glm.h"
#include "scratchdir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr int kBytesPerPixel = 3;

// Keeps the sample reads below from being optimised away.
volatile unsigned char sampleSink;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "ppm_fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ScratchDir scratch;
    const std::string path = scratch.write("image.ppm", data, size);
    int width = -1;
    int height = -1;
    unsigned char *image = glmLoadPPM(path.c_str(), &width, &height);
    if (!image) {
        if (width != -1 || height != -1)
            fail("a refused image wrote its size");
        return 0;
    }
    if (width <= 0 || height <= 0)
        fail("an image was accepted with a size that is not positive");
    // The first and the last sample: AddressSanitizer checks that the
    // allocation reaches that far. Images can be large, so not every byte.
    const size_t bytes = size_t(width) * size_t(height) * kBytesPerPixel;
    sampleSink = image[0];
    sampleSink = image[bytes - 1];
    std::free(image);
    return 0;
}
