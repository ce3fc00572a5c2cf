// Refusing a file while reading it: the first refusal is recorded in a
// GlmReadError and the reading stops; the public steps that end the process
// print it and exit. Internal to glm.
#ifndef GLM_GLM_READERROR_H
#define GLM_GLM_READERROR_H

#include "glm.h"

#include <cstdio>

// Records a refusal with its message (printf-style) unless one is recorded
// already: the first reason found is the one the file is refused for.
void glmRefuse(GlmReadError *error, GlmReadFailure failure, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

inline bool glmRefused(const GlmReadError *error)
{
    return error->failure != kGlmReadNoFailure;
}

// Prints the message on the stream the failure belongs to, frees it and ends
// the process with status 1.
[[noreturn]] void glmExitRefused(GlmReadError *error);

// The reporting forms of glmFirstPass, glmFillPass and glmReadMTL: false once
// the file is refused, with the reason in *error.
bool glmCountOBJ(GlmMesh *model, std::FILE *file, GlmReadError *error);
bool glmFillOBJ(GlmMesh *model, std::FILE *file, GlmReadError *error);
bool glmReadMTLFile(GlmMesh *model, const char *name, GlmReadError *error);
// An mtllib line's rest (as the line reading copied it): keeps the library's
// name in the model and reads the library.
bool glmReadLibraryLine(GlmMesh *model, const char *line, GlmReadError *error);

// glmReadOBJFile without the one-pass reading of plain files: the two passes
// alone, which define what every file reads as. Kept apart so that tests can
// hold the two readings against each other.
GlmMesh *glmReadOBJFileInGeneral(const char *path, GlmReadError *error);
// Null when the two models are the same in every field, bit for bit; else
// the name of the first part that differs.
const char *glmModelDifference(const GlmMesh *a, const GlmMesh *b);

#endif
