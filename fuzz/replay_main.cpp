// Runs a fuzz target's entry point on the inputs named on the command line,
// once each, the way libFuzzer runs inputs given by name, so that the normal
// compiler and test run replay the committed corpora without libFuzzer.
//
//   <target>_replay PATH...
//
// A PATH that is a directory stands for every file in it, in name order: a
// whole corpus is one run. A fault found in an input ends the process through
// the target's own abort() (or a sanitizer, when the build has one), which
// fails the run; the name of the input at fault is the last one printed. A
// file that cannot be read fails the run too, and so does a directory without
// inputs: a corpus that silently replays nothing would pass for a clean one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
// Optional, as under libFuzzer: only the targets that set up state define it.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace
{

constexpr int kUsageStatus = 2;
constexpr int kUnreadableStatus = 1;

namespace fs = std::filesystem;

// The inputs a PATH argument stands for; false, with the reason printed, when
// there are none.
bool listInputs(const char *path, std::vector<std::string> &inputs)
{
    std::error_code error;
    if (!fs::is_directory(path, error)) {
        inputs.emplace_back(path);
        return true;
    }
    std::vector<std::string> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(path, error))
        if (entry.is_regular_file(error))
            files.push_back(entry.path().string());
    if (error) {
        std::fprintf(stderr, "%s: %s\n", path, error.message().c_str());
        return false;
    }
    if (files.empty()) {
        std::fprintf(stderr, "%s: no inputs to replay\n", path);
        return false;
    }
    std::sort(files.begin(), files.end());
    inputs.insert(inputs.end(), files.begin(), files.end());
    return true;
}

bool readInput(const std::string &path, std::vector<char> &bytes)
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
        std::fprintf(stderr, "usage: %s PATH...\n", argv[0]);
        return kUsageStatus;
    }
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; ++i)
        if (!listInputs(argv[i], inputs))
            return kUnreadableStatus;
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    for (const std::string &input : inputs) {
        std::vector<char> bytes;
        if (!readInput(input, bytes)) {
            std::perror(input.c_str());
            return kUnreadableStatus;
        }
        std::fprintf(stderr, "replaying %s (%zu bytes)\n", input.c_str(), bytes.size());
        replay(bytes);
    }
    std::fprintf(stderr, "replayed %zu inputs\n", inputs.size());
    return 0;
}
