#include "recorder.h"
#include "recording.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{

class RecordingTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    void writeBytes(const QString &file, const QByteArray &bytes)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    QByteArray readBytes(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

TEST_F(RecordingTest, FileLayoutIsHeaderThenTimedFrames)
{
    Recorder recorder;
    QString error;
    ASSERT_TRUE(recorder.open(path("a.rec"), error)) << error.toStdString();
    ASSERT_TRUE(recorder.append({0x01020304, 0, {{0.5f, 0.25f, 0x1234}}}, error));
    ASSERT_TRUE(recorder.append({0x01020305, 0xBEEF, {}}, error));
    EXPECT_EQ(readBytes(path("a.rec")).toHex(), QByteArray("RADARREC").toHex() + "0001" +
                                                    "01020304"
                                                    "0000"
                                                    "0001"
                                                    "3f000000"
                                                    "3e800000"
                                                    "1234" +
                                                    "01020305"
                                                    "beef"
                                                    "0000");
}

// A path that a file cannot take (here a folder): the recording is said to
// go on beside it, is not put in place again with every frame, and is kept.
TEST_F(RecordingTest, ARecordingThatCannotTakeItsPlaceIsKeptBesideIt)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken"));
    const QString aside = Recorder::growingPath(path("taken"));
    {
        Recorder recorder;
        QString error;
        ASSERT_TRUE(recorder.open(path("taken"), error)) << error.toStdString();
        EXPECT_FALSE(recorder.append({0, 0, {}}, error));
        EXPECT_TRUE(error.endsWith("it goes on in " + aside)) << error.toStdString();
        EXPECT_TRUE(recorder.append({40, 1, {}}, error)) << error.toStdString();
    }
    std::vector<RecordedFrame> loaded;
    QString error;
    ASSERT_TRUE(Recording::load(aside, loaded, error)) << error.toStdString();
    EXPECT_EQ(loaded.size(), 2u);
}

TEST_F(RecordingTest, WrittenFramesLoadBackExactly)
{
    const std::vector<RecordedFrame> frames = {
        {0, 0, {{0.1f, 0.2f, 1}, {-3.5f, 1e-30f, 65535}}},
        {40, 1, {}},
        {80, 2, {{0.9f, 0.8f, 2}}},
    };
    Recorder recorder;
    QString error;
    ASSERT_TRUE(recorder.open(path("b.rec"), error));
    for (const RecordedFrame &frame : frames)
        ASSERT_TRUE(recorder.append(frame, error)) << error.toStdString();

    std::vector<RecordedFrame> loaded;
    ASSERT_TRUE(Recording::load(path("b.rec"), loaded, error)) << error.toStdString();
    ASSERT_EQ(loaded.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(loaded[i].milliseconds, frames[i].milliseconds);
        EXPECT_EQ(loaded[i].extraWord, frames[i].extraWord);
        ASSERT_EQ(loaded[i].targets.size(), frames[i].targets.size());
        for (int k = 0; k < frames[i].targets.size(); ++k) {
            EXPECT_EQ(loaded[i].targets[k].x, frames[i].targets[k].x);
            EXPECT_EQ(loaded[i].targets[k].y, frames[i].targets[k].y);
            EXPECT_EQ(loaded[i].targets[k].value, frames[i].targets[k].value);
        }
    }
}

TEST_F(RecordingTest, BrokenFilesAreRejectedWithAReason)
{
    const QByteArray header = QByteArray("RADARREC") + QByteArray::fromHex("0001");
    const QByteArray frameAt40 = QByteArray::fromHex("00000028"
                                                     "0000"
                                                     "0000");
    const QByteArray frameAt10 = QByteArray::fromHex("0000000a"
                                                     "0000"
                                                     "0000");
    const struct {
        const char *name;
        QByteArray bytes;
        const char *reason;
    } cases[] = {
        {"empty.rec", QByteArray(), ": not a radar-sim recording"},
        {"magic.rec", QByteArray("RADARRAC") + QByteArray::fromHex("0001"),
         ": not a radar-sim recording"},
        {"version.rec", QByteArray("RADARREC") + QByteArray::fromHex("0002"),
         ": unsupported recording version 2"},
        {"cut.rec",
         header + QByteArray::fromHex("00000000"
                                      "0000"
                                      "0002"
                                      "3f000000"),
         ": frame 1 is cut short"},
        {"order.rec", header + frameAt40 + frameAt10, ": frame 2 is older than the one before it"},
    };
    for (const auto &c : cases) {
        writeBytes(path(c.name), c.bytes);
        std::vector<RecordedFrame> loaded;
        QString error;
        EXPECT_FALSE(Recording::load(path(c.name), loaded, error)) << c.name;
        EXPECT_EQ(error, path(c.name) + QString::fromLatin1(c.reason));
    }
    std::vector<RecordedFrame> loaded;
    QString error;
    EXPECT_FALSE(Recording::load(path("absent.rec"), loaded, error));
    EXPECT_TRUE(error.startsWith(path("absent.rec") + QStringLiteral(": cannot open")));
}

TEST_F(RecordingTest, HeaderOnlyRecordingHasNoFrames)
{
    writeBytes(path("h.rec"), QByteArray("RADARREC") + QByteArray::fromHex("0001"));
    std::vector<RecordedFrame> loaded(3);
    QString error;
    EXPECT_TRUE(Recording::load(path("h.rec"), loaded, error));
    EXPECT_TRUE(loaded.empty());
}

} // namespace
