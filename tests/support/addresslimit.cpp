#include "addresslimit.h"

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
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

bool addressLimitHolds()
{
    constexpr size_t kSpareBytes = 64u << 20;
    constexpr size_t kPastTheLimitBytes = 4 * kSpareBytes;
    const pid_t child = fork();
    if (child == 0) {
        limitAddressSpace(kSpareBytes);
        _exit(std::malloc(kPastTheLimitBytes) == nullptr ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}
