// Writes the guard zones' alarm sound under the name the client looks for,
// into a folder (by default the sound folder in the working directory).
//
//   soundgen [folder]

#include "alarmtone.h"
#include "scenelayout.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

int main(int argc, char **argv)
{
    const std::string folder = argc > 1 ? std::string(argv[1]) + "/" : scene::kSoundFolder;
    ::mkdir(folder.c_str(), 0755);
    const std::string path = folder + scene::kAlarmSound;
    const std::vector<std::uint8_t> wav = makeAlarmWav();
    std::FILE *file = std::fopen(path.c_str(), "wb");
    const bool written =
        file != nullptr && std::fwrite(wav.data(), 1, wav.size(), file) == wav.size();
    if (file != nullptr && std::fclose(file) != 0)
        return 1;
    if (!written) {
        std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("%s\n", path.c_str());
    return 0;
}
