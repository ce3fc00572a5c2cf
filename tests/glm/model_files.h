// Test helpers: model files in a private temporary directory, owned models,
// and redirections that let death tests tell standard output from error.
#ifndef TESTS_GLM_MODEL_FILES_H
#define TESTS_GLM_MODEL_FILES_H

#include "glm.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
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

#endif
