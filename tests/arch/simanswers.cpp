#include "answers.h"
#include "frameencoder.h"
#include "framereader.h"
#include "randomwalkers.h"
#include "scenarioparser.h"
#include "scriptedscenario.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

constexpr int kWalkers = MaxTargets;
constexpr quint32 kWalkerSeed = 7;
constexpr int kFrames = 200;
constexpr quint16 kExtraWord = 0xFFFF;

// FNV-1a, 64 bits: a frame's bytes in one short line.
std::uint64_t digest(const QByteArray &bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char byte : bytes)
        hash = (hash ^ std::uint8_t(byte)) * 0x100000001b3u;
    return hash;
}

void printFrames(std::ostream &out, TargetSource &source)
{
    for (int i = 0; i < kFrames; ++i) {
        const QByteArray frame = FrameEncoder::encode(
            source.targetsAt(i * RandomWalkers::kStepSeconds), i == 0, kExtraWord);
        char line[64];
        std::snprintf(line, sizeof line, "frame %d %d %016llx\n", i, int(frame.size()),
                      static_cast<unsigned long long>(digest(frame)));
        out << line;
    }
}

bool printScenarios(std::ostream &out, const std::string &folder)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path &file : files) {
        ScenarioParser parser(QString::fromStdString(file.string()));
        if (!parser.parseFile()) {
            std::fprintf(stderr, "%s\n", qPrintable(parser.error()));
            return false;
        }
        out << "scenario " << file.filename().string() << '\n';
        ScriptedScenario scenario(parser.script());
        printFrames(out, scenario);
    }
    return true;
}

// Each corpus file's bytes as one connection's stream.
bool printReaderRecords(std::ostream &out, const std::string &folder)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    static TargetReport records[MaxTargets];
    for (const fs::path &file : files) {
        QFile in(QString::fromStdString(file.string()));
        if (!in.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = in.readAll();
        FrameReader reader;
        reader.append(bytes.constData(), bytes.size());
        out << "stream " << file.filename().string() << '\n';
        int count = 0;
        while (reader.readFrame(records, count)) {
            out << "frame " << count << ':';
            for (int i = 0; i < count; ++i) {
                char text[96];
                std::snprintf(text, sizeof text, " %a,%a,%a", double(records[i].x),
                              double(records[i].y), double(records[i].value));
                out << text;
            }
            out << '\n';
        }
    }
    return true;
}

} // namespace

bool printSimAnswers(std::ostream &out, const std::string &sourceDir)
{
    out << "walkers " << kWalkers << " seed " << kWalkerSeed << '\n';
    RandomWalkers walkers(kWalkers, kWalkerSeed);
    printFrames(out, walkers);
    return printScenarios(out, sourceDir + "/tools/radar-sim/examples") &&
           printReaderRecords(out, sourceDir + "/fuzz/corpus/framereader");
}
