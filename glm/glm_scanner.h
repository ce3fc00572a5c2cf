// Block scanner: reads a text file in large blocks and hands out tokens, lines
// and numbers with exactly the semantics of the standard stream functions the
// OBJ and MTL formats were first read with ("%s" into a 128-byte buffer, fgets
// into 128 bytes, "%d", "%f"), without their per-call cost. Internal to glm.
//
// Fast path and general path. Numbers and face corners as almost every file
// writes them (glmScanPlainInt below, the plain floats in glm_scanner.cpp, the
// plain corners in glm_parse.cpp) are read in place from the buffered block.
// A plain reader either reads exactly what the general, character-by-character
// reading would (same values, same bytes consumed) or declines and changes
// nothing, leaving the input to the general reading. It declines whenever the
// text could continue past the buffered bytes or is anything but plain. So the
// general path alone defines the results; the fast one only saves time.
// Differential tests hold the paths to that: tests/glm/scanner_test.cpp
// compares numbers with fscanf, also across block ends, and parse_test.cpp
// compares corners with fscanf and sscanf and the plain corner reading with
// glmScanCornerInGeneral. A change to either path must keep them passing.
#ifndef GLM_GLM_SCANNER_H
#define GLM_GLM_SCANNER_H

#include <cstddef>
#include <cstdio>

// Longest token or line the readers keep, plus the terminating NUL.
constexpr size_t kGlmTokenSize = 128;

// Most digits of a number the plain paths read: 18 never overflow long long.
constexpr long kGlmPlainDigits = 18;

struct GlmScanner {
    std::FILE *file; // source, not owned; null when scanning a string
    char *buffer;    // owned; capacity + 1 bytes, the last one a NUL sentinel
    size_t capacity; // bytes of file data the buffer holds at most
    const char *cur; // next unread byte
    const char *end; // one past the last valid byte; *end == '\0'
    long long base;  // file offset of buffer[0]
    bool atEof;      // the file has no more bytes beyond end
};

// Scanning a file: the scanner reads from the file's current position.
void glmScanOpen(GlmScanner *scanner, std::FILE *file);
// Scanning a NUL-terminated string (for instance a token already read).
void glmScanString(GlmScanner *scanner, const char *text);
void glmScanRewind(GlmScanner *scanner);
void glmScanClose(GlmScanner *scanner);
// Offset in the file of the next unread byte.
long long glmScanOffset(const GlmScanner *scanner);

// "%s": skips white space and copies the next token into token (NUL
// terminated). A token longer than kGlmTokenSize - 1 bytes keeps its first
// kGlmTokenSize - 1 bytes; the rest of it is consumed and dropped. Returns false
// at the end of the input.
bool glmScanToken(GlmScanner *scanner, char *token);
// fgets into kGlmTokenSize bytes: consumes up to and including the next line
// end, but at most kGlmTokenSize - 1 bytes. The line variant copies them.
void glmScanSkipLine(GlmScanner *scanner);
void glmScanLine(GlmScanner *scanner, char *line);

// "%d": 1 when a number was converted into value (saturated to the range of
// long long), 0 on a matching failure (value untouched), -1 at the end of input.
int glmScanInt(GlmScanner *scanner, long long *value);
// One literal character of a format: consumed and true only when it matches.
bool glmScanLiteral(GlmScanner *scanner, char expected);
// "%f": as glmScanInt, for a float converted exactly as strtof would.
int glmScanFloat(GlmScanner *scanner, float *value);
// The conversion "%f" makes of the number text..stop, which follows its sign:
// as strtof in the C locale converts it.
float glmConvertFloat(const char *text, const char *stop);

// White space as isspace() sees it in the C locale.
inline bool glmIsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool glmIsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The plain case of "%d", read in place: at *p an optional sign and 1 to
// kGlmPlainDigits digits, followed by a byte before end, so that the number
// cannot go on in bytes not yet read. Then stores the value, moves *p past
// the number and returns true. Otherwise returns false and changes nothing:
// the general reading decides.
inline bool glmScanPlainInt(const char **p, const char *end, long long *value)
{
    const char *q = *p;
    bool negative = *q == '-';
    if (*q == '-' || *q == '+')
        ++q;
    const char *digits = q;
    long long magnitude = 0;
    while (glmIsDigit(*q) && q - digits < kGlmPlainDigits)
        magnitude = magnitude * 10 + (*q++ - '0');
    if (q == digits || q >= end || glmIsDigit(*q))
        return false;
    *value = negative ? -magnitude : magnitude;
    *p = q;
    return true;
}

// Largest decimal significand and power of ten that float holds exactly: a
// number within both converts with one correctly rounded float operation,
// which is the standard conversion's result.
constexpr long long kGlmExactSignificand = 1LL << 24;
constexpr long kGlmExactPowerOfTen = 10;

// The decimal significand with fractionDigits digits after the point, as
// strtof converts it, when both lie within the exact range; false otherwise.
inline bool glmExactDecimal(long long significand, long fractionDigits, float *magnitude)
{
    static constexpr float kPowersOfTen[kGlmExactPowerOfTen + 1] = {
        1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    if (significand > kGlmExactSignificand || fractionDigits > kGlmExactPowerOfTen)
        return false;
    *magnitude = static_cast<float>(significand) / kPowersOfTen[fractionDigits];
    return true;
}

#endif
