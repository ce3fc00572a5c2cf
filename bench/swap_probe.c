/*
 * A probe for the real client, loaded with LD_PRELOAD by run_scene_bench.sh:
 * after every glXSwapBuffers it appends the wall-clock time at which the swap
 * returned, one "seconds.microseconds" line per frame, to the file named by
 * SWAP_PROBE_LOG. The first line is the moment the first frame was drawn and
 * handed to the X server, the lines after it give the frame periods.
 *
 * It only observes: the real swap runs first and unchanged, and the cost it
 * adds is one clock read and one write() per frame. Without SWAP_PROBE_LOG, or
 * when the file cannot be opened, it records nothing.
 */
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

typedef void (*SwapBuffersFunction)(Display *, GLXDrawable);

enum { LogUnopened = -1, LogUnavailable = -2 };
enum { StampBytes = 32 };
static const long NsPerUs = 1000;

static SwapBuffersFunction realSwapBuffers;
static int logFd = LogUnopened;

static void openLog(void)
{
    const char *path = getenv("SWAP_PROBE_LOG");
    logFd = LogUnavailable;
    if (path != NULL && *path != '\0') {
        const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd >= 0)
            logFd = fd;
    }
}

static void writeStamp(void)
{
    struct timespec now;
    char line[StampBytes];
    int length;
    if (logFd == LogUnopened)
        openLog();
    if (logFd < 0)
        return;
    clock_gettime(CLOCK_REALTIME, &now);
    length =
        snprintf(line, sizeof line, "%lld.%06ld\n", (long long)now.tv_sec, now.tv_nsec / NsPerUs);
    if (length > 0 && write(logFd, line, (size_t)length) < 0)
        logFd = LogUnavailable;
}

void glXSwapBuffers(Display *display, GLXDrawable drawable)
{
    if (realSwapBuffers == NULL)
        realSwapBuffers = (SwapBuffersFunction)dlsym(RTLD_NEXT, "glXSwapBuffers");
    if (realSwapBuffers != NULL)
        realSwapBuffers(display, drawable);
    writeStamp();
}
