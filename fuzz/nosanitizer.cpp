// The sanitizer hooks that the fork server sets, for a build without a
// sanitizer runtime (the corpus replay under the normal compiler). There are
// no reports to send anywhere and no sanitizer deaths to handle then, so both
// have nothing to do. Builds with a sanitizer take the runtime's own instead.
#include <sanitizer/common_interface_defs.h>

extern "C" void __sanitizer_set_report_fd(void *) {}

extern "C" void __sanitizer_set_death_callback(void (*)(void)) {}
