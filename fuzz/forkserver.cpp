#include "forkserver.h"

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

// Whole transfers over the pipes. The fuzzer's timeout timer interrupts
// blocking calls with SIGALRM every few seconds; those are simply resumed.
bool readFully(int fd, void *data, size_t size)
{
    char *at = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t got = read(fd, at, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        at += got;
        size -= size_t(got);
    }
    return true;
}

bool writeFully(int fd, const void *data, size_t size)
{
    const char *at = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t put = write(fd, at, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        at += put;
        size -= size_t(put);
    }
    return true;
}

ChildOutcome waitFor(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return {false, 0};
    }
    if (WIFEXITED(status))
        return {true, WEXITSTATUS(status)};
    return {false, WTERMSIG(status)};
}

// The helper's loop: one child per request byte, until the fuzzer goes.
[[noreturn]] void serve(int requests, int outcomes, void (*work)(const char *),
                        const char *argument, unsigned timeLimitSeconds)
{
    char request;
    while (readFully(requests, &request, 1)) {
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0)
            runChild(work, argument, timeLimitSeconds);
        const ChildOutcome outcome = child < 0 ? ChildOutcome{false, 0} : waitFor(child);
        if (!writeFully(outcomes, &outcome, sizeof outcome))
            break;
    }
    _exit(0);
}

[[noreturn]] void fail(const char *what)
{
    std::perror(what);
    std::abort();
}

} // namespace

ForkServer::ForkServer(void (*work)(const char *), const char *argument, unsigned timeLimitSeconds)
{
    int toHelper[2];
    int fromHelper[2];
    if (pipe(toHelper) != 0 || pipe(fromHelper) != 0)
        fail("fork server pipes");
    std::fflush(nullptr);
    helper = fork();
    if (helper < 0)
        fail("fork server");
    if (helper == 0) {
        close(toHelper[1]);
        close(fromHelper[0]);
        serve(toHelper[0], fromHelper[1], work, argument, timeLimitSeconds);
    }
    close(toHelper[0]);
    close(fromHelper[1]);
    requestFd = toHelper[1];
    outcomeFd = fromHelper[0];
}

ForkServer::~ForkServer()
{
    close(requestFd);
    close(outcomeFd);
    waitFor(helper);
}

ChildOutcome ForkServer::run()
{
    const char request = 1;
    ChildOutcome outcome{};
    if (!writeFully(requestFd, &request, 1) || !readFully(outcomeFd, &outcome, sizeof outcome))
        fail("fork server gone");
    if (!outcome.exited && outcome.code == 0)
        fail("fork server could not fork");
    return outcome;
}
