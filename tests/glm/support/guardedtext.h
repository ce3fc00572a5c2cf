// Test helper: text placed right before a page that can be neither read nor
// written, so that a reader that goes past the room it was given after the
// text crashes at once instead of reading whatever lies there.
#ifndef TESTS_GLM_SUPPORT_GUARDEDTEXT_H
#define TESTS_GLM_SUPPORT_GUARDEDTEXT_H

#include <cstddef>
#include <string>

class GuardedText
{
public:
    // A copy of text followed by room writable bytes, which end where the
    // guard page begins.
    GuardedText(const std::string &text, size_t room);
    ~GuardedText();
    GuardedText(const GuardedText &) = delete;
    GuardedText &operator=(const GuardedText &) = delete;

    // The copy; null when the pages could not be had.
    char *text() { return text_; }

private:
    void *mapping_ = nullptr;
    size_t mappingBytes_ = 0;
    char *text_ = nullptr;
};

#endif
