#include "displaylist.h"

#include "clientmessage.h"

#include <QString>

DisplayList::DisplayList() : id(glGenLists(1))
{
    if (!acceptName(id))
        id = 0;
}

DisplayList::~DisplayList()
{
    if (id != 0)
        glDeleteLists(id, 1);
}

bool DisplayList::acceptName(GLuint name)
{
    if (name != 0)
        return true;
    printClientMessage(QStringLiteral("OpenGL has no display list to give (glGenLists returned 0);"
                                      " the list stays empty and its commands run unrecorded"));
    return false;
}

void DisplayList::begin()
{
    if (id != 0)
        glNewList(id, GL_COMPILE);
}

void DisplayList::end()
{
    // An empty list's begin opened nothing; a bare glEndList would only leave
    // a GL_INVALID_OPERATION behind for the next error check to trip over.
    GLint recording = 0;
    glGetIntegerv(GL_LIST_INDEX, &recording);
    if (recording != 0)
        glEndList();
}

void DisplayList::call()
{
    if (id != 0)
        glCallList(id);
}
