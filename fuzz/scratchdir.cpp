#include "scratchdir.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <unistd.h>

namespace
{
const char kTemplate[] = "/radar-fuzz-XXXXXX";
} // namespace

ScratchDir::ScratchDir()
{
    const char *base = std::getenv("TMPDIR");
    std::string name = std::string(base && *base ? base : "/tmp") + kTemplate;
    if (!mkdtemp(&name[0])) {
        std::perror(name.c_str());
        std::abort();
    }
    dir = name;
}

ScratchDir::~ScratchDir()
{
    if (DIR *listing = opendir(dir.c_str())) {
        while (const dirent *entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                unlink((dir + "/" + name).c_str());
        }
        closedir(listing);
    }
    rmdir(dir.c_str());
}

std::string ScratchDir::write(const char *name, const void *data, std::size_t size)
{
    const std::string file = dir + "/" + name;
    // A new file rather than the old one truncated: ext4 flushes a file that
    // was truncated and written again to disk when it is closed (its
    // auto_da_alloc rule), which cost milliseconds per input.
    unlink(file.c_str());
    std::FILE *out = std::fopen(file.c_str(), "wb");
    const bool written = out && std::fwrite(data, 1, size, out) == size;
    if (!out || std::fclose(out) != 0 || !written) {
        std::perror(file.c_str());
        std::abort();
    }
    return file;
}
