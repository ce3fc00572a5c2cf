#include "alarmsound.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <string>

// A file that is missing needs neither a sound server nor a sound system:
// the signal comes with the line, once, after the constructor has returned.
TEST(AlarmSoundTest, SaysOnceWithItsSignalThatAMissingFileCannotBePlayed)
{
    QObject owner;
    testing::internal::CaptureStderr();
    AlarmSound alarm("no-such-alarm.wav", &owner);
    QSignalSpy availability(&alarm, SIGNAL(availabilityChanged(bool)));
    alarm.sound(); // not kept for later, nor a crash
    ASSERT_TRUE(availability.wait());
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(availability.count(), 1);
    EXPECT_FALSE(availability.front().front().toBool());
    EXPECT_EQ(errors, "radar-client: the alarm sound no-such-alarm.wav cannot be played here (the "
                      "file is missing); guard zone alarms stay silent until it can, trying again "
                      "every 10 s\n");
}
