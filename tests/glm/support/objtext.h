// Random OBJ text for the reader's differential tests: statements of every
// kind as files write them, and, at a chosen rate, the odd things files also
// hold (long lines, odd numbers and tokens, faces that change form or run on
// across lines, unknown materials, NUL bytes, a missing last line end). The
// material library it names is kObjTextLibrary, with kObjTextMaterials.
#ifndef TESTS_GLM_SUPPORT_OBJTEXT_H
#define TESTS_GLM_SUPPORT_OBJTEXT_H

#include <random>
#include <string>

constexpr char kObjTextLibrary[] = "lib.mtl";
constexpr char kObjTextMaterials[] = "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\n";

class ObjText
{
public:
    // oddPerMille: how many statements in a thousand are odd.
    ObjText(unsigned seed, int oddPerMille) : random(seed), oddPerMille(oddPerMille) {}

    // About `bytes` bytes of statements.
    std::string make(size_t bytes);

private:
    std::mt19937 random;
    int oddPerMille;
    unsigned vertices = 0;
    unsigned texCoords = 0;
    unsigned normals = 0;
    bool hasLibrary = false;
    std::string text;

    bool chance(int perMille) { return static_cast<int>(random() % 1000) < perMille; }
    bool odd() { return chance(oddPerMille); }
    unsigned below(unsigned n) { return static_cast<unsigned>(random() % n); }
    std::string pick(std::initializer_list<const char *> choices);

    std::string blanks();
    std::string lineEnd();
    std::string number();
    std::string index(unsigned count);
    std::string corner(unsigned form);
    void vector(const char *keyword, unsigned components, unsigned *count);
    void face();
    void statement();
    void oddStatement();
};

#endif
