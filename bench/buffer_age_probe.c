/*
 * A probe for the real client on Wayland (or any EGL platform), loaded with
 * LD_PRELOAD: it tells whether the window's back buffer still holds earlier
 * frames after a swap. After every eglSwapBuffers it appends one line to the
 * file named by BUFFER_AGE_PROBE_LOG: the age that EGL_EXT_buffer_age reports
 * for the back buffer the next frame will draw into (0: its pixels are
 * undefined; N: it holds the frame of N swaps ago), "none" when the display
 * does not offer the extension, or "error" when the query fails. The first
 * line names the display's EGL vendor and version.
 *
 * It only observes: the real swap runs first and unchanged. Without
 * BUFFER_AGE_PROBE_LOG, or when the file cannot be opened, it records nothing.
 */
#define _GNU_SOURCE
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef EGLBoolean (*SwapBuffersFunction)(EGLDisplay, EGLSurface);

static SwapBuffersFunction realSwapBuffers;
static FILE *ageLog;
static int logOpened;

static int hasExtension(EGLDisplay display, const char *name)
{
    const char *extensions = eglQueryString(display, EGL_EXTENSIONS);
    const size_t length = strlen(name);
    const char *found = extensions;
    while (found != NULL && (found = strstr(found, name)) != NULL) {
        if ((found == extensions || found[-1] == ' ') &&
            (found[length] == ' ' || found[length] == '\0'))
            return 1;
        found += length;
    }
    return 0;
}

static void openLog(EGLDisplay display)
{
    const char *path = getenv("BUFFER_AGE_PROBE_LOG");
    logOpened = 1;
    if (path == NULL || *path == '\0' || (ageLog = fopen(path, "ae")) == NULL)
        return;
    setvbuf(ageLog, NULL, _IOLBF, 0);
    fprintf(ageLog, "EGL %s %s\n", eglQueryString(display, EGL_VENDOR),
            eglQueryString(display, EGL_VERSION));
}

static void writeAge(EGLDisplay display, EGLSurface surface)
{
    EGLint age = 0;
    if (!logOpened)
        openLog(display);
    if (ageLog == NULL)
        return;
    if (!hasExtension(display, "EGL_EXT_buffer_age"))
        fputs("none\n", ageLog);
    else if (!eglQuerySurface(display, surface, EGL_BUFFER_AGE_EXT, &age))
        fputs("error\n", ageLog);
    else
        fprintf(ageLog, "%d\n", age);
}

EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface)
{
    EGLBoolean swapped = EGL_FALSE;
    if (realSwapBuffers == NULL)
        realSwapBuffers = (SwapBuffersFunction)dlsym(RTLD_NEXT, "eglSwapBuffers");
    if (realSwapBuffers != NULL)
        swapped = realSwapBuffers(display, surface);
    writeAge(display, surface);
    return swapped;
}
