# Compiler switches shared by every target of the project, in one place.
option(RADAR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(radar_options INTERFACE)
target_compile_options(radar_options INTERFACE
  -Wall   # the usual suspects
  -Wextra # unused parameters, sign mismatches and the like
  # The same numbers on every machine. Compilers for arm64 fuse a multiply
  # and an add into one instruction by default, rounding once where amd64
  # rounds twice: a hit's bearing then printed 6.97379 there and 6.97378
  # here, and a model's facet normals differed in their last bits, enough to
  # merge its vertex normals differently. No effect on amd64, which has no
  # such instruction in its baseline.
  -ffp-contract=off
)
# Qt APIs deprecated by 5.15 fail the build instead of lingering.
target_compile_definitions(radar_options INTERFACE QT_DISABLE_DEPRECATED_BEFORE=0x050F00)

if(RADAR_SANITIZE)
  set(radar_sanitize_flags
    -fsanitize=address,undefined # out-of-bounds, use-after-free, UB
    -fno-sanitize-recover=all    # the first finding fails the test
    -fno-omit-frame-pointer      # readable stack traces
  )
  target_compile_options(radar_options INTERFACE ${radar_sanitize_flags})
  target_link_options(radar_options INTERFACE ${radar_sanitize_flags})
endif()

