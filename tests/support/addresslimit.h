#pragma once

#include <cstddef>

// Leaves this process spareBytes of address space beyond what it uses now,
// so that an allocation past that fails. For the child of a death test only:
// it cannot be undone. Aborts when the limit cannot be set.
void limitAddressSpace(size_t spareBytes);

// Whether this machine holds a process to such a limit: a user-mode emulator
// (qemu running another machine's programs) does not pass it on, and an
// allocation past it succeeds there until the real memory runs out. Tried in
// a child process, which this one waits for.
bool addressLimitHolds();
