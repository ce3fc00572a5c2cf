#pragma once

// What the tests of the real client against the real simulator share.

// RADAR_ASAN is defined under AddressSanitizer, whose quarantine holds freed
// memory back on purpose: bounds on a process's memory growth do not hold.
#if defined(__SANITIZE_ADDRESS__)
#define RADAR_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RADAR_ASAN 1
#endif
#endif

namespace hostiletest
{

constexpr int kPollMs = 100; // between looks at the client's output
// A time limit that only ends a client the test could not end itself.
constexpr int kBackstopSeconds = 300;
// Start-up with software OpenGL on a busy machine, and the models' loading.
constexpr int kStartAllowanceMs = 30000;
const char kBuildLine[] = "^build$";
const char kHitLine[] = "^hit @ green: ";

} // namespace hostiletest
