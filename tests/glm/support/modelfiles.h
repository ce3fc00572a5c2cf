// Test helpers: model files in a private temporary directory, owned models,
// refused reads, and redirections that let death tests tell standard output
// from error.
#ifndef TESTS_GLM_SUPPORT_MODELFILES_H
#define TESTS_GLM_SUPPORT_MODELFILES_H

#include "addresslimit.h"
#include "glm.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>

class ModelFiles
{
public:
    ModelFiles()
    {
        char pattern[] = "/tmp/glm_test_XXXXXX";
        directory_ = mkdtemp(pattern);
    }
    ~ModelFiles() { std::filesystem::remove_all(directory_); }
    ModelFiles(const ModelFiles &) = delete;
    ModelFiles &operator=(const ModelFiles &) = delete;

    // Writes content (bytes as given, NULs included) and returns the path.
    std::string write(const std::string &name, const std::string &content) const
    {
        std::string path = directory_ + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    const std::string &directory() const { return directory_; }

private:
    std::string directory_;
};

struct ModelDeleter {
    void operator()(GlmMesh *model) const { glmFree(model); }
};
using ModelPtr = std::unique_ptr<GlmMesh, ModelDeleter>;

// Reads path with glmReadOBJFile and expects it refused for failure, with
// nothing returned. Returns the message (empty when there is none).
inline std::string refusalMessage(const std::string &path, GlmReadFailure failure)
{
    GlmReadError error = {kGlmReadNoFailure, nullptr};
    GlmMesh *model = glmReadOBJFile(path.c_str(), &error);
    EXPECT_EQ(model, nullptr) << path;
    EXPECT_EQ(error.failure, failure) << path;
    std::string message = error.message ? error.message : "";
    std::free(error.message);
    return message;
}

// For death tests, whose pattern sees only standard error: afterwards, what
// the statement writes to the named stream reaches the pattern and the other
// stream is dropped.
inline void keepOnlyStdout()
{
    std::fflush(stdout);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDERR_FILENO);
}

inline void keepOnlyStderr()
{
    std::fflush(stdout);
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
}

// Four vertices of a unit square, for faces to name.
constexpr char kSquare[] = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

// Address space left to a death test's child beyond what it uses, so that the
// next large allocation fails.
constexpr size_t kSpareAddressBytes = 8 * 1024 * 1024;

#endif
