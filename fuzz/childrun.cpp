#include "childrun.h"

#include <sanitizer/common_interface_defs.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// Runs first among the exit handlers (it is registered last) and ends the
// child with the status given to exit(). Without it the fuzzer's own exit
// hook would report the library's deliberate exit as a crash of its own.
void endWithStatus(int status, void *)
{
    _exit(status);
}

void endAfterSanitizerReport()
{
    _exit(kChildSanitizerStatus);
}

void silenceStandardStreams()
{
    std::fflush(nullptr);
    // Sanitizer reports keep the original standard error.
    const int reportFd = dup(STDERR_FILENO);
    __sanitizer_set_report_fd(reinterpret_cast<void *>(intptr_t(reportFd)));
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    close(devNull);
}

[[noreturn]] void runChild(void (*work)(const char *), const char *argument,
                           unsigned timeLimitSeconds)
{
    std::signal(SIGALRM, SIG_DFL);
    alarm(timeLimitSeconds);
    on_exit(endWithStatus, nullptr);
    __sanitizer_set_death_callback(endAfterSanitizerReport);
    silenceStandardStreams();
    work(argument);
    _exit(0);
}

} // namespace

ChildOutcome runInChild(void (*work)(const char *), const char *argument, unsigned timeLimitSeconds)
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        std::abort();
    }
    if (child == 0)
        runChild(work, argument, timeLimitSeconds);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            std::perror("waitpid");
            std::abort();
        }
    }
    if (WIFEXITED(status))
        return {true, WEXITSTATUS(status)};
    return {false, WTERMSIG(status)};
}
