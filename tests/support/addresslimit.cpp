#include "addresslimit.h"

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

// Pages of address space the process uses now: the first figure of statm.
rlim_t pagesInUse()
{
    long pages = 0;
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (!statm || std::fscanf(statm, "%ld", &pages) != 1)
        std::abort();
    std::fclose(statm);
    return static_cast<rlim_t>(pages);
}

} // namespace

void limitAddressSpace(size_t spareBytes)
{
    const rlim_t used = pagesInUse() * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    const rlimit limit = {used + spareBytes, used + spareBytes};
    if (setrlimit(RLIMIT_AS, &limit) != 0)
        std::abort();
}
