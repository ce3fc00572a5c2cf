#include "glm_scanner.h"

#include <charconv>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

// Large enough that refills are rare, small enough to stay in the cache and
// not to cost the file's size in memory.
static constexpr size_t kBlockSize = 256 * 1024;

// The bit that tells ASCII upper-case letters from lower-case ones.
static constexpr char kAsciiCaseBit = 0x20;

// An ASCII letter in lower case. Other bytes change too, but never into a
// letter, so the result equals a lower-case letter exactly when c is that
// letter in either case.
static char foldCase(char c)
{
    return static_cast<char>(c | kAsciiCaseBit);
}

static bool isHexDigit(char c)
{
    return glmIsDigit(c) || (foldCase(c) >= 'a' && foldCase(c) <= 'f');
}

// "0x" or "0X" at p.
static bool hasHexPrefix(const char *p)
{
    return p[0] == '0' && foldCase(p[1]) == 'x';
}

void glmScanOpen(GlmScanner *scanner, std::FILE *file)
{
    scanner->file = file;
    scanner->capacity = kBlockSize;
    scanner->buffer = static_cast<char *>(std::malloc(kBlockSize + 1));
    scanner->buffer[0] = '\0';
    scanner->cur = scanner->buffer;
    scanner->end = scanner->buffer;
    scanner->base = 0;
    scanner->atEof = false;
}

void glmScanString(GlmScanner *scanner, const char *text)
{
    scanner->file = nullptr;
    scanner->capacity = 0;
    scanner->buffer = nullptr;
    scanner->cur = text;
    scanner->end = text + std::strlen(text);
    scanner->base = 0;
    scanner->atEof = true;
}

void glmScanRewind(GlmScanner *scanner)
{
    std::rewind(scanner->file);
    scanner->buffer[0] = '\0';
    scanner->cur = scanner->buffer;
    scanner->end = scanner->buffer;
    scanner->base = 0;
    scanner->atEof = false;
}

void glmScanClose(GlmScanner *scanner)
{
    std::free(scanner->buffer);
    scanner->buffer = nullptr;
}

long long glmScanOffset(const GlmScanner *scanner)
{
    return scanner->base + (scanner->cur - scanner->buffer);
}

// Moves the bytes from *keep on to the front of the buffer (growing it when
// they fill it), reads more behind them and updates cur and *keep. Returns
// true when the buffer changed (new bytes or moved ones): pointers into it
// must then be taken afresh. False only at the end of the file, unchanged.
static bool refill(GlmScanner *scanner, const char **keep)
{
    if (scanner->atEof)
        return false;
    size_t kept = static_cast<size_t>(scanner->end - *keep);
    size_t curOffset = static_cast<size_t>(scanner->cur - *keep);
    bool moved = *keep != scanner->buffer;
    scanner->base += *keep - scanner->buffer;
    std::memmove(scanner->buffer, *keep, kept);
    if (kept == scanner->capacity) {
        scanner->capacity *= 2;
        scanner->buffer = static_cast<char *>(std::realloc(scanner->buffer, scanner->capacity + 1));
        moved = true;
    }
    size_t got = std::fread(scanner->buffer + kept, 1, scanner->capacity - kept, scanner->file);
    scanner->end = scanner->buffer + kept + got;
    scanner->buffer[kept + got] = '\0';
    scanner->cur = scanner->buffer + curOffset;
    *keep = scanner->buffer;
    if (got == 0)
        scanner->atEof = true;
    return got != 0 || moved;
}

// Skips white space; false when the input ends first.
static bool skipSpace(GlmScanner *scanner)
{
    for (;;) {
        const char *p = scanner->cur;
        while (glmIsSpace(*p))
            ++p;
        scanner->cur = p;
        if (p < scanner->end)
            return true;
        if (!refill(scanner, &scanner->cur))
            return false;
    }
}

bool glmScanToken(GlmScanner *scanner, char *token)
{
    if (!skipSpace(scanner))
        return false;
    size_t length = 0;
    for (;;) {
        const char *p = scanner->cur;
        while (p < scanner->end && !glmIsSpace(*p)) {
            if (length < kGlmTokenSize - 1)
                token[length++] = *p;
            ++p;
        }
        scanner->cur = p;
        if (p < scanner->end || !refill(scanner, &scanner->cur))
            break;
    }
    token[length] = '\0';
    return true;
}

// Consumes what fgets into kGlmTokenSize bytes would read; copies it into line
// when line is not null.
static void consumeLine(GlmScanner *scanner, char *line)
{
    size_t length = 0;
    while (length < kGlmTokenSize - 1) {
        if (scanner->cur == scanner->end && !refill(scanner, &scanner->cur))
            break;
        size_t available = static_cast<size_t>(scanner->end - scanner->cur);
        size_t limit =
            available < kGlmTokenSize - 1 - length ? available : kGlmTokenSize - 1 - length;
        const void *newline = std::memchr(scanner->cur, '\n', limit);
        size_t taken = newline ? static_cast<const char *>(newline) - scanner->cur + 1 : limit;
        if (line)
            std::memcpy(line + length, scanner->cur, taken);
        scanner->cur += taken;
        length += taken;
        if (newline)
            break;
    }
    if (line)
        line[length] = '\0';
}

void glmScanSkipLine(GlmScanner *scanner)
{
    consumeLine(scanner, nullptr);
}

void glmScanLine(GlmScanner *scanner, char *line)
{
    consumeLine(scanner, line);
}

bool glmScanLiteral(GlmScanner *scanner, char expected)
{
    if (scanner->cur == scanner->end && !refill(scanner, &scanner->cur))
        return false;
    if (*scanner->cur != expected)
        return false;
    ++scanner->cur;
    return true;
}

// True when the number starting at cur may continue beyond the buffered bytes:
// the caller refills (keeping the number) and parses it again.
static bool needsMore(GlmScanner *scanner, const char *stop)
{
    return stop == scanner->end && refill(scanner, &scanner->cur);
}

int glmScanInt(GlmScanner *scanner, long long *value)
{
    if (!skipSpace(scanner))
        return -1;
    // Magnitudes beyond this stick at ULLONG_MAX instead of wrapping.
    constexpr unsigned long long kMagnitudeCap = (ULLONG_MAX - 9) / 10;
    const char *digits;
    const char *p;
    unsigned long long magnitude;
    do {
        digits = scanner->cur + (*scanner->cur == '-' || *scanner->cur == '+' ? 1 : 0);
        magnitude = 0;
        for (p = digits; glmIsDigit(*p); ++p) {
            unsigned digit = static_cast<unsigned>(*p - '0');
            magnitude = magnitude > kMagnitudeCap ? ULLONG_MAX : magnitude * 10 + digit;
        }
    } while (needsMore(scanner, p));
    bool negative = digits > scanner->cur && *scanner->cur == '-';
    scanner->cur = p;
    if (p == digits)
        return 0;
    if (magnitude > static_cast<unsigned long long>(LLONG_MAX))
        *value = negative ? LLONG_MIN : LLONG_MAX;
    else
        *value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return 1;
}

// Case-insensitive count of the leading characters of word that p matches.
static size_t matchWord(const char *p, const char *word)
{
    size_t n = 0;
    while (word[n] && foldCase(p[n]) == word[n])
        ++n;
    return n;
}

static const char *skipDigits(const char *p, bool hex)
{
    while (hex ? isHexDigit(*p) : glmIsDigit(*p))
        ++p;
    return p;
}

// Extent of a float after its sign, as the standard "%f" conversion consumes
// it (the buffer ends at end). Sets *valid when the consumed text is a number.
static const char *floatExtent(const char *p, const char *end, bool *valid)
{
    size_t infinity = matchWord(p, "infinity");
    size_t nan = matchWord(p, "nan");
    if (infinity == 3 || infinity == 8 || nan == 3) {
        *valid = true;
        return p + (nan == 3 ? 3 : infinity);
    }
    size_t broken = infinity > nan ? infinity : nan;
    if (broken > 0) {
        // A broken "inf"/"nan" also loses the character that broke it.
        *valid = false;
        return p + broken + (p + broken < end ? 1 : 0);
    }
    bool hex = hasHexPrefix(p);
    const char *digits = hex ? p + 2 : p;
    const char *q = skipDigits(digits, hex);
    bool hasDigits = q > digits;
    if (*q == '.') {
        const char *fraction = q + 1;
        q = skipDigits(fraction, hex);
        hasDigits = hasDigits || q > fraction;
    }
    *valid = hasDigits;
    if (!hasDigits)
        return hex ? p + 2 : q;
    if (foldCase(*q) == (hex ? 'p' : 'e')) {
        ++q;
        if (*q == '+' || *q == '-')
            ++q;
        q = skipDigits(q, false);
    }
    return q;
}

// The rare conversions from_chars leaves open (overflow, underflow) go through
// strtof in the C locale, which by definition gives the standard result.
static float convertOutOfRange(const char *text, size_t length)
{
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    char copy[kGlmTokenSize];
    if (length >= sizeof copy)
        length = sizeof copy - 1;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return strtof_l(copy, nullptr, cLocale);
}

float glmConvertFloat(const char *text, const char *stop)
{
    bool hex = hasHexPrefix(text);
    const char *digits = hex ? text + 2 : text;
    float result = 0.0f;
    auto [ptr, ec] = std::from_chars(digits, stop, result,
                                     hex ? std::chars_format::hex : std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range)
        return convertOutOfRange(text, static_cast<size_t>(stop - text));
    return result;
}

// The plain case of "%f", read in place: an optional sign, digits with an
// optional point and no exponent, few enough digits for an exact conversion,
// followed by a byte before end. Then stores the value, moves *p past the
// number and returns true. Otherwise returns false and changes nothing: the
// general reading decides.
static bool scanPlainFloat(const char **p, const char *end, float *value)
{
    const char *q = *p;
    bool negative = *q == '-';
    if (*q == '-' || *q == '+')
        ++q;
    const char *start = q;
    long long significand = 0;
    while (glmIsDigit(*q) && q - start < kGlmPlainDigits)
        significand = significand * 10 + (*q++ - '0');
    long integerDigits = q - start;
    long fraction = 0;
    if (*q == '.') {
        const char *point = q++;
        while (glmIsDigit(*q) && q - point <= kGlmPlainDigits - integerDigits)
            significand = significand * 10 + (*q++ - '0');
        fraction = q - point - 1;
    }
    bool hasDigits = integerDigits + fraction > 0;
    bool ends = q < end && !glmIsDigit(*q) && foldCase(*q) != 'e' && *q != '.';
    bool hex = hasHexPrefix(start);
    float magnitude;
    if (!hasDigits || !ends || hex || !glmExactDecimal(significand, fraction, &magnitude))
        return false;
    *value = negative ? -magnitude : magnitude;
    *p = q;
    return true;
}

int glmScanFloat(GlmScanner *scanner, float *value)
{
    if (!skipSpace(scanner))
        return -1;
    if (scanPlainFloat(&scanner->cur, scanner->end, value))
        return 1;
    const char *text;
    const char *stop;
    bool valid;
    do {
        text = scanner->cur + (*scanner->cur == '-' || *scanner->cur == '+' ? 1 : 0);
        stop = floatExtent(text, scanner->end, &valid);
    } while (needsMore(scanner, stop));
    bool negative = *scanner->cur == '-';
    scanner->cur = stop;
    if (!valid)
        return 0;
    float magnitude = glmConvertFloat(text, stop);
    *value = negative ? -magnitude : magnitude;
    return 1;
}
