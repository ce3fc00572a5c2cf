#include "guardedtext.h"

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

GuardedText::GuardedText(const std::string &text, size_t room)
{
    const size_t pageBytes = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t usedPages = (text.size() + room + pageBytes - 1) / pageBytes;
    mappingBytes_ = (usedPages + 1) * pageBytes;
    void *mapping =
        mmap(nullptr, mappingBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return;
    mapping_ = mapping;
    char *guard = static_cast<char *>(mapping) + usedPages * pageBytes;
    if (mprotect(guard, pageBytes, PROT_NONE) != 0)
        return;
    text_ = guard - room - text.size();
    std::memcpy(text_, text.data(), text.size());
}

GuardedText::~GuardedText()
{
    if (mapping_)
        munmap(mapping_, mappingBytes_);
}
