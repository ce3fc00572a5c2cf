// Tests of the model record: groups, material look-up, paths and freeing.
#include "glm.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

class GlmRecordTest : public ::testing::Test
{
protected:
    static std::string directoryOf(const char *path)
    {
        char *directory = glmPathDirectory(path);
        std::string result = directory;
        std::free(directory);
        return result;
    }
};

TEST_F(GlmRecordTest, PathDirectoryKeepsEverythingUpToTheLastSlash)
{
    EXPECT_EQ(directoryOf("mdl/radar2.obj"), "mdl/");
    EXPECT_EQ(directoryOf("/a/b/c.obj"), "/a/b/");
    EXPECT_EQ(directoryOf("dir/"), "dir/");
    EXPECT_EQ(directoryOf("model.obj"), "");
    EXPECT_EQ(directoryOf("back\\slash.obj"), "");
}
