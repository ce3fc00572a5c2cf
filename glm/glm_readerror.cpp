#include "glm_readerror.h"

#include <cstdarg>
#include <cstdlib>

// The process's exit status when a read ends it.
static constexpr int kRefusedStatus = 1;

void glmRefuse(GlmReadError *error, GlmReadFailure failure, const char *format, ...)
{
    if (glmRefused(error))
        return;
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    const size_t size = static_cast<size_t>(length) + 1;
    char *message = static_cast<char *>(std::malloc(size));
    std::vsnprintf(message, size, format, again);
    va_end(again);
    error->failure = failure;
    error->message = message;
}

void glmExitRefused(GlmReadError *error)
{
    // Unknown tokens have always been reported with the warnings, on
    // standard output; files that cannot be read on standard error.
    std::FILE *stream = error->failure == kGlmReadUnknownToken ? stdout : stderr;
    std::fputs(error->message, stream);
    std::fflush(stream);
    std::free(error->message);
    std::exit(kRefusedStatus);
}
