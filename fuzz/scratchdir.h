#pragma once

#include <cstddef>
#include <string>

// A private temporary directory for the files a fuzz target hands to a reader
// that only takes paths. Removed, with what was written into it, when the
// object goes.
class ScratchDir
{
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    const std::string &path() const { return dir; }

    // Writes size bytes as the file name in the directory and returns its
    // full path. A failed write ends the process: a harness that cannot write
    // its input would only report false findings.
    std::string write(const char *name, const void *data, std::size_t size);

private:
    std::string dir;
};
