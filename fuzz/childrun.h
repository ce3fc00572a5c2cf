#pragma once

// How a function run in a forked child ended.
struct ChildOutcome {
    bool exited; // true: ended through exit() or by returning; false: killed
    int code;    // the exit status when exited, else the signal that killed it
};

// Status of a child whose sanitizer found an error; the library's own exits
// use 1, so the two stay apart.
constexpr int kChildSanitizerStatus = 86;

// Runs work(argument) in a forked child and waits for it. Lets a harness
// observe code that ends the process (exit, abort) without ending itself.
// The child's standard output and error are discarded, except for sanitizer
// reports; a child still running after timeLimitSeconds is killed by SIGALRM.
ChildOutcome runInChild(void (*work)(const char *), const char *argument,
                        unsigned timeLimitSeconds);
