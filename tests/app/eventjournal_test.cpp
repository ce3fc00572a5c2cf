// The event journal's parts that need no client: its lines as JSON, and its
// file with its rotation and its failures.
#include "eventfile.h"
#include "jsonline.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray lineNumbered(int i)
{
    return QByteArray("{\"line\":") + QByteArray::number(i) + QByteArray(32, ' ') + "}\n";
}

} // namespace

TEST(JsonLineTest, StringsComeBackAsTheyWentInAndWhatJsonCannotHoldIsNull)
{
    const QString texts[] = {
        "plain",
        "quote \" and backslash \\",
        "line\nbreak\ttab\r",
        "control \x01\x1f\x7f",
        "ümlaut €",
        "",
    };
    for (const QString &text : texts) {
        const QByteArray line = JsonLine().addString("s", text).text();
        EXPECT_FALSE(line.contains('\n')) << line.constData();
        QJsonParseError error;
        const QJsonDocument parsed = QJsonDocument::fromJson(line, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.constData();
        EXPECT_EQ(parsed.object().value("s").toString(), text);
    }
    const QByteArray numbers =
        JsonLine()
            .addNumber("inf", std::numeric_limits<double>::infinity(), 1)
            .addPrintedNumber("nan", "nan", std::nan(""))
            .addPrintedNumber("alpha", "89.9999", 89.9999)
            .addObjects("list", {JsonLine().addInt("zone", 2), JsonLine().addBool("b", false)})
            .text();
    EXPECT_EQ(numbers, "{\"inf\":null,\"nan\":null,\"alpha\":89.9999,"
                       "\"list\":[{\"zone\":2},{\"b\":false}]}");
}

TEST(EventFileTest, RotatesPastItsSizeKeepingOneOldFileAndEveryLineWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new/folder/events.jsonl");
    const qint64 limit = 4 * lineNumbered(0).size();
    {
        EventFile file(path, limit);
        for (int i = 0; i < 10; ++i)
            file.append(lineNumbered(i));
    }
    // Lines 0-3, 4-7 and 8-9: the first four went with the second rotation.
    QByteArray expectedOld, expectedNew;
    for (int i = 4; i < 8; ++i)
        expectedOld += lineNumbered(i);
    for (int i = 8; i < 10; ++i)
        expectedNew += lineNumbered(i);
    EXPECT_EQ(contents(path + ".1"), expectedOld);
    EXPECT_EQ(contents(path), expectedNew);
    EXPECT_FALSE(QFile::exists(path + ".2"));

    EventFile again(path, limit); // appends, as the next run of the client does
    again.append(lineNumbered(10));
    EXPECT_EQ(contents(path), expectedNew + lineNumbered(10));
}

TEST(EventFileTest, AFileThatCannotBeWrittenIsToldOnceAndItsLinesWaitForIt)
{
    constexpr qint64 kRetryMs = 200;
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    const QString path = dir.filePath("blocked/events.jsonl");
    EventFile file(path, EventFile::kRotateBytes, kRetryMs);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 5; ++i)
        file.append(lineNumbered(i));
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(QString::fromStdString(told).count("cannot write the event journal"), 1) << told;

    ASSERT_TRUE(QFile::remove(blocker.fileName()));
    QThread::msleep(kRetryMs);
    testing::internal::CaptureStderr();
    file.append(lineNumbered(5));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("is written again"), std::string::npos);
    QByteArray expected;
    for (int i = 0; i < 6; ++i)
        expected += lineNumbered(i);
    EXPECT_EQ(contents(path), expected);
}
