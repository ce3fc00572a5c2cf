#pragma once

#include <GL/gl.h>

// Owns one OpenGL display list name, from construction to destruction. Build
// and use it with the owning context current.
//
// When OpenGL has no list name to give (glGenLists returns 0) the failure is
// reported on standard error and the object stays empty: begin and call do
// nothing, so nothing is ever recorded into or replayed from list 0, and the
// commands meant for the list run at once instead.
class DisplayList
{
public:
    DisplayList();
    ~DisplayList();
    DisplayList(const DisplayList &) = delete;
    DisplayList &operator=(const DisplayList &) = delete;

    // Commands that follow are recorded, not executed, until end().
    void begin();
    // Closes the list being recorded; does nothing when none is open.
    static void end();
    void call();

    GLuint getId() const { return id; }

    // True when name is a usable list name; reports the failure on standard
    // error when it is not.
    static bool acceptName(GLuint name);

private:
    GLuint id; // 0 when OpenGL had no name to give
};
