// Runs a fuzz target's entry point on the files named on the command line,
// once each, the way libFuzzer runs inputs given by name, so that the normal
// compiler and test run replay the committed corpora without libFuzzer.
//
//   <target>_replay FILE...
//
// A fault found in an input ends the process through the target's own abort()
// (or a sanitizer, when the build has one), which fails the run; the name of
// the input at fault is the last one printed. A file that cannot be read fails
// the run too: a corpus that silently replays nothing would pass for a clean one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
// Optional, as under libFuzzer: only the targets that set up state define it.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace
{

constexpr int kUsageStatus = 2;
constexpr int kUnreadableStatus = 1;

bool readInput(const char *path, std::vector<char> &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure &) {
        return false; // a directory, or a read error
    }
    return true;
}

// The input goes in a buffer of exactly its size, as libFuzzer passes it, so
// that a sanitizer sees a read past its end.
void replay(const std::vector<char> &bytes)
{
    const std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), data.get());
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE...\n", argv[0]);
        return kUsageStatus;
    }
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    for (int i = 1; i < argc; ++i) {
        std::vector<char> bytes;
        if (!readInput(argv[i], bytes)) {
            std::perror(argv[i]);
            return kUnreadableStatus;
        }
        std::fprintf(stderr, "replaying %s (%zu bytes)\n", argv[i], bytes.size());
        replay(bytes);
    }
    return 0;
}
