#pragma once

#include <cstddef>

// Leaves this process spareBytes of address space beyond what it uses now,
// so that an allocation past that fails. For the child of a death test only:
// it cannot be undone. Aborts when the limit cannot be set.
void limitAddressSpace(size_t spareBytes);
