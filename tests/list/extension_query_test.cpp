// The extension query against a real OpenGL context, apart from the list
// cases, which need no display.
#include "list.h"
#include "offscreengl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace
{

// Fetches the string from a real OpenGL context; runs under Xvfb when headless.
TEST(ExtensionSearchTest, QueriesTheCurrentOpenGLImplementation)
{
    EXPECT_FALSE(isExtensionSupported("GL_ARB_multitexture")) << "no context is current yet";

    OffscreenGL gl;
    ASSERT_TRUE(gl.isReady());

    std::istringstream all(reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS)));
    const std::vector<std::string> words{std::istream_iterator<std::string>(all),
                                         std::istream_iterator<std::string>()};
    ASSERT_GE(words.size(), 3u);
    EXPECT_TRUE(isExtensionSupported(words.front().c_str()));
    EXPECT_TRUE(isExtensionSupported(words[words.size() / 2].c_str()));
    EXPECT_TRUE(isExtensionSupported(words.back().c_str()));
    EXPECT_FALSE(isExtensionSupported("GL_RADAR_no_such_extension"));
    EXPECT_FALSE(isExtensionSupported(""));
}

} // namespace
