#include "displaylist.h"

#include <iostream>

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
    std::cerr << "DisplayList: glGenLists returned 0, no display list is available;"
                 " the list stays empty and its commands run unrecorded"
              << std::endl;
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
