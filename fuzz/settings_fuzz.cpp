// Arbitrary bytes as clientSettings.xml through the Settings constructor,
// every getter and the guard zones' reader. A refused file must throw
// SettingsError* and nothing else; an accepted one must answer every lookup,
// with the default where nothing usable is stored, and every zone read must
// be one the alarms can use.
#include "guardzonereader.h"
#include "scenelayout.h"
#include "scratchdir.h"
#include "settings.h"
#include "settingserror.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

// The keys the client reads, and one that it never reads.
const char *const kKeys[] = {"host", "port", "timeToLive", "alarmSound", "unknownKey"};
constexpr int kIntDefault = -7;
constexpr float kFloatDefault = 0.25f;
const char kStringDefault[] = "fallback";

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "settings_fuzz: %s\n", what);
    std::abort();
}

// Keeps the answers alive so that the lookups are not optimised away.
volatile int answerSink;

void lookUpEverything(const Settings &settings)
{
    for (const char *key : kKeys) {
        const QString name = QString::fromLatin1(key);
        const int i = settings.getInt(name, kIntDefault);
        const float f = settings.getFloat(name, kFloatDefault);
        const QString s = settings.getString(name, QString::fromLatin1(kStringDefault));
        // A key without an element gives every default.
        const bool missing = settings.documentElement().firstChildElement(name).isNull();
        if (missing && (i != kIntDefault || f != kFloatDefault || s != kStringDefault))
            fail("a missing key did not give the defaults");
        answerSink = i + int(s.size()) + (f == f);
    }
}

bool isUsable(const GuardZone &zone)
{
    const auto isBearing = [](double v) { return std::isfinite(v) && v >= 0.0 && v <= 360.0; };
    return zone.number > 0 && isBearing(zone.from) && isBearing(zone.to) && zone.span() > 0.0 &&
           (zone.span() < 360.0 || zone.isWholeCircle()) && std::isfinite(zone.inner) &&
           std::isfinite(zone.outer) && zone.inner >= 0.0 && zone.inner <= zone.outer &&
           zone.outer <= scene::kScreenCornerZoneDistance;
}

void readZones(const Settings &settings)
{
    std::vector<GuardZoneNote> notes;
    for (const GuardZone &zone : readGuardZones(settings.documentElement(), notes)) {
        if (!isUsable(zone))
            fail("the zones' reader let an unusable zone through");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ScratchDir scratch;
    const std::string path = scratch.write("clientSettings.xml", data, size);
    try {
        const Settings settings(QString::fromStdString(path));
        lookUpEverything(settings);
        readZones(settings);
    } catch (SettingsError *error) {
        delete error;
    } catch (...) {
        fail("something other than SettingsError* was thrown");
    }
    return 0;
}
