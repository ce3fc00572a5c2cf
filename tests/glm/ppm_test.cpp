#include "glm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace
{

// Twelve sample bytes: a 2 x 2 image, or part of a larger one.
const std::string kTwelveSamples("\x01\x02\x03\x04\x05\x06\xf7\xf8\xf9\xfa\xfb\x00", 12);
const std::string kComment = "# made by hand\n";
// Sizes written into the out-parameters before a call, to see they stay put.
constexpr int kUntouched = -77;

} // namespace

class PpmTest : public testing::Test
{
protected:
    void TearDown() override
    {
        std::free(image);
        std::remove(path.c_str());
    }

    // Writes contents to this test's file and reads it back as a PPM image.
    void load(const std::string &contents)
    {
        std::ofstream(path, std::ios::binary) << contents;
        image = glmLoadPPM(path.c_str(), &width, &height);
    }

    std::vector<unsigned char> samples(size_t count) const
    {
        return std::vector<unsigned char>(image, image + count);
    }

    static std::vector<unsigned char> bytesOf(const std::string &text)
    {
        return std::vector<unsigned char>(text.begin(), text.end());
    }

    const std::string path = testing::TempDir() + "glm_ppm_" +
                             testing::UnitTest::GetInstance()->current_test_info()->name() + ".ppm";
    unsigned char *image = nullptr;
    int width = kUntouched;
    int height = kUntouched;
};

TEST_F(PpmTest, ReadsEveryGroupingOfTheHeaderNumbersWithCommentsBetween)
{
    const std::vector<std::string> groupings = {
        "2 2 255\n",
        "2 2\n" + kComment + "255\n",
        "2\n" + kComment + "2 255\n",
        "2\n" + kComment + "2\n" + kComment + "255\n",
    };
    for (const std::string &numbers : groupings) {
        SCOPED_TRACE(numbers);
        load("P6\n" + kComment + numbers + kTwelveSamples);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(width, 2);
        EXPECT_EQ(height, 2);
        EXPECT_EQ(samples(12), bytesOf(kTwelveSamples));
        std::free(image);
        image = nullptr;
    }
}

TEST_F(PpmTest, PassesOverTheRestOfACommentLongerThanALine)
{
    const std::string longComment = "#" + std::string(150, 'c') + "\n";
    load("P6\n" + longComment + "2 1\n255\n" + kTwelveSamples.substr(0, 6));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 1);
    EXPECT_EQ(samples(6), bytesOf(kTwelveSamples.substr(0, 6)));
}

TEST_F(PpmTest, IgnoresNumbersOnTheMagicLine)
{
    load("P6 9 9 255\n1 2 255\n" + kTwelveSamples.substr(0, 6));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(height, 2);
}

TEST_F(PpmTest, TakesSamplesAsBytesWhateverTheMaximum)
{
    for (const char *maximum : {"15", "65535"}) {
        SCOPED_TRACE(maximum);
        load("P6\n2 2 " + std::string(maximum) + "\n" + kTwelveSamples);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(samples(12), bytesOf(kTwelveSamples));
        std::free(image);
        image = nullptr;
    }
}

TEST_F(PpmTest, ZeroesTheMissingBytesOfAShortPixelBlock)
{
    load("P6\n4 1 255\n" + kTwelveSamples.substr(0, 5));
    ASSERT_NE(image, nullptr);
    std::vector<unsigned char> expected = bytesOf(kTwelveSamples.substr(0, 5));
    expected.resize(12, 0);
    EXPECT_EQ(samples(12), expected);
}

TEST_F(PpmTest, RejectsTheAsciiVariantWithAMessage)
{
    testing::internal::CaptureStderr();
    load("P3\n2 2 255\n1 2 3 4 5 6 7 8 9 10 11 12\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), path + ": Not a raw PPM file\n");
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(width, kUntouched);
    EXPECT_EQ(height, kUntouched);
}

TEST_F(PpmTest, RejectsSizesNotAboveZeroBeforeReadingPixels)
{
    for (const char *size : {"0 2", "2 0", "-2 2", "2 -1"}) {
        SCOPED_TRACE(size);
        testing::internal::CaptureStderr();
        load("P6\n" + std::string(size) + " 255\n" + kTwelveSamples);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("size"), std::string::npos);
        EXPECT_EQ(image, nullptr);
        EXPECT_EQ(width, kUntouched);
    }
}

TEST_F(PpmTest, RejectsSizesThatOverflowOrPassTheCap)
{
    for (const char *size :
         {"65536 65536", "2147483647 2147483647", "99999999999 1", "8192 8193"}) {
        SCOPED_TRACE(size);
        testing::internal::CaptureStderr();
        load("P6\n" + std::string(size) + " 255\n" + kTwelveSamples);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("size"), std::string::npos);
        EXPECT_EQ(image, nullptr);
        EXPECT_EQ(height, kUntouched);
    }
}

TEST_F(PpmTest, RejectsAHeaderThatEndsBeforeItsThreeNumbers)
{
    for (const char *header : {"", "P6\n", "P6\n# only a comment\n", "P6\n2 2", "P6\n2\n2\n"}) {
        SCOPED_TRACE(header);
        testing::internal::CaptureStderr();
        load(header);
        EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
        EXPECT_EQ(image, nullptr);
        EXPECT_EQ(width, kUntouched);
    }
}

TEST_F(PpmTest, ReportsAFileThatCannotBeOpened)
{
    const std::string missing = testing::TempDir() + "glm_ppm_no_such_file.ppm";
    testing::internal::CaptureStderr();
    image = glmLoadPPM(missing.c_str(), &width, &height);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), missing + ": No such file or directory\n");
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(width, kUntouched);
}
