# Compiler switches shared by every target of the project, in one place.
option(RADAR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(radar_options INTERFACE)
target_compile_options(radar_options INTERFACE
  -Wall   # the usual suspects
  -Wextra # unused parameters, sign mismatches and the like
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
