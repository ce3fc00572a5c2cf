#pragma once

#include <sys/types.h>

// How one run of the server's work ended in its child.
struct ChildOutcome {
    bool exited; // true: ended through exit() or by returning; false: killed
    int code;    // the exit status when exited, else the signal that killed it
};

// Status of a child whose sanitizer found an error; the library's own exits
// use 1, so the two stay apart.
constexpr int kChildSanitizerStatus = 86;

// Runs work(argument) in a fresh child process on request, so that a harness
// can observe code that ends the process (exit, abort) without ending itself.
//
// The children are forked by a small helper process that is started once,
// while the fuzzer is still small and has one thread; forking the fuzzer
// itself for every input would make it pay for copying its large, busy
// memory each time. The children's standard output and error are discarded,
// except for sanitizer reports; a child still running after timeLimitSeconds
// is killed by SIGALRM.
class ForkServer
{
public:
    ForkServer(void (*work)(const char *), const char *argument, unsigned timeLimitSeconds);
    ~ForkServer();
    ForkServer(const ForkServer &) = delete;
    ForkServer &operator=(const ForkServer &) = delete;

    // One run; the process ends with a message if the helper has gone.
    ChildOutcome run();

private:
    pid_t helper = -1;
    int requestFd = -1; // the fuzzer writes one byte per run
    int outcomeFd = -1; // the helper answers with a ChildOutcome
};
