// Arbitrary bytes as clientSettings.xml through the Settings constructor and
// every getter. A refused file must throw SettingsError* and nothing else; an
// accepted one must answer every lookup, with the default where nothing usable
// is stored.
#include "scratchdir.h"
#include "settings.h"
#include "settingserror.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

// The keys the client reads, and one that it never reads.
const char *const kKeys[] = {"host", "port", "timeToLive", "unknownKey"};
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ScratchDir scratch;
    const std::string path = scratch.write("clientSettings.xml", data, size);
    try {
        const Settings settings(QString::fromStdString(path));
        lookUpEverything(settings);
    } catch (SettingsError *error) {
        delete error;
    } catch (...) {
        fail("something other than SettingsError* was thrown");
    }
    return 0;
}
