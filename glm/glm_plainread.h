// One-pass reading of plain OBJ files, the common case made fast.
//
// The general reading takes two passes, a counting one and a filling one,
// which see different tokens only in unusual files (a statement cut at 127
// bytes, numbers running across lines, a face whose corners change form,
// indices out of range, a usemtl that names no material, ...). In a file
// without any of those both passes agree line by line, so one pass can count
// and fill at once, into arrays that grow. The one-pass reading accepts a
// file only when every statement is plain in that sense, and then builds the
// very model the two passes would; at the first statement it is not sure of
// it declines, and the caller discards what it built and reads the file the
// general way, which alone defines the results (messages and refusals
// included). The one-pass reading prints nothing and refuses nothing.
//
// The file is read a window at a time into one buffer, so that no copy of the
// whole file counts in the reader's memory. Internal to glm.
#ifndef GLM_GLM_PLAINREAD_H
#define GLM_GLM_PLAINREAD_H

#include "glm.h"
#include "glm_digits.h"

#include <cstddef>

// Size of the huge pages large arrays are backed with where the system has
// them (elsewhere the advice is ignored).
constexpr size_t kGlmHugePageSize = 2 * 1024 * 1024;

// Bytes after a text's line end that its statements may read: a number's
// digit run reads whole words beyond its start.
constexpr size_t kGlmPlainPaddingBytes = 2 * kGlmRunReadBytes;

// Reads the file open as fd into model, a new model with only its source path
// set, without moving fd's file position. False when the file is not plain
// (or not a regular file, or cannot be read): model then holds a partial
// reading that only glmFree may use.
bool glmReadPlainOBJ(GlmMesh *model, int fd);

// The same for a whole file's text, the bytes bytes at text. The caller owns
// the 1 + kGlmPlainPaddingBytes bytes after them, into which a line end and
// zeros are written for the statements to read; nothing beyond is touched.
// This is how the last window of a file is read.
bool glmReadPlainText(GlmMesh *model, char *text, size_t bytes);

// Running state of the one-pass reading. The model's counts are the elements
// read so far; its arrays have room for more.
struct GlmPlainRead {
    GlmMesh *model;
    GlmGroupNode *group;       // current group
    unsigned material;         // current material
    bool materialUsed;         // a usemtl has been read
    size_t fileBytes;          // the file's size, from which the arrays' first room follows
    size_t vertexRoom;         // entries the vertex, normal, texture coordinate and
    size_t normalRoom;         //   triangle arrays have room for; 0 while an array
    size_t texCoordRoom;       //   is null
    size_t triangleRoom;       //
    long long largestVertex;   // largest positive (absolute) index named so far,
    long long largestNormal;   //   checked against the counts at the end, since
    long long largestTexCoord; //   such an index may name an element read later
    const char *textEnd;       // end of the file's text; bytes beyond are padding
    const char *limit;         // statements that begin here or later wait for the next call
};

// Room of a group's index array while it holds `used` entries: group arrays
// start small and double, so their room follows from their use.
inline size_t glmPlainRoomFor(size_t used)
{
    constexpr size_t kFirstRoom = 64;
    if (used <= kFirstRoom)
        return used ? kFirstRoom : 0;
    return size_t(1) << (64 - __builtin_clzll(used - 1));
}

// The first room of an array of elements that take at least bytesPerElement
// of the file each in files as they are usually written: more elements than
// that move the array once or more, fewer leave room untouched, which costs
// address space but no memory.
size_t glmPlainFirstRoom(const GlmPlainRead *state, size_t bytesPerElement);

// An array with room for `room` entries of entrySize bytes that holds the
// first `used` entries of array (malloc'ed or null), which it replaces; null
// when memory runs out or room passes what the model's counters hold, and
// array then stays valid. Large arrays are aligned to huge pages and advised
// to use them: a big model otherwise spends a good part of its reading time in
// the page faults of its arrays.
void *glmPlainResized(void *array, size_t used, size_t room, size_t entrySize);

// The statement at p (its keyword), with the statements of its kind that
// follow it: returns where the next statement may begin, or null at the
// first one that is not plain.
const char *glmPlainStatement(GlmPlainRead *state, const char *p);
// The same for a face line, p after its keyword.
const char *glmPlainFace(GlmPlainRead *state, const char *p);

// White space other than a line end.
inline bool glmIsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

// Numbers and corners are mostly one blank apart, which takes one test.
inline const char *glmSkipBlanks(const char *p)
{
    if (p[0] == ' ' && p[1] > ' ')
        return p + 1;
    while (glmIsBlank(*p))
        ++p;
    return p;
}

// The position after the line end at p, which is at textEnd when the text
// ends without one.
inline const char *glmAfterLine(const GlmPlainRead *state, const char *p)
{
    return p < state->textEnd ? p + 1 : p;
}

#endif
