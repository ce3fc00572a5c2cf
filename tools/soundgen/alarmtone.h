#pragma once

#include <cstdint>
#include <vector>

// The guard zones' alarm: two short rising tones, 0.3 s in all, as a complete
// WAV file (16-bit mono PCM at 44100 Hz). Made from code so that it can be
// remade and reviewed like any other source.
std::vector<std::uint8_t> makeAlarmWav();
