#include "objtext.h"

std::string ObjText::pick(std::initializer_list<const char *> choices)
{
    return choices.begin()[below(static_cast<unsigned>(choices.size()))];
}

std::string ObjText::blanks()
{
    return chance(900) ? " " : pick({"  ", "\t", " \t", "\v", "\f", "\r"});
}

std::string ObjText::lineEnd()
{
    return chance(900) ? "\n" : pick({"\r\n", " \n", "\n\n", "\t\r\n"});
}

std::string ObjText::number()
{
    char text[64];
    if (chance(700))
        std::snprintf(text, sizeof text, "%.6f", (static_cast<int>(random()) % 40000) / 997.0);
    else if (!odd())
        std::snprintf(text, sizeof text, "%s",
                      pick({"1", "-0", "+2.5", ".5", "5.", "1.5e-3", "2E+10", "123456789.123456789",
                            "0.000000000123", "16777217", "-7e38"})
                          .c_str());
    else
        std::snprintf(text, sizeof text, "%s",
                      pick({"nan", "inf", "0x1p3", "1e", "1.5.5", "12345678901234567890", "-", ".",
                            "1e+", "1x"})
                          .c_str());
    return text;
}

// A face number for one of count elements: absolute or relative, and now
// and then one that names none.
std::string ObjText::index(unsigned count)
{
    if (odd())
        return std::to_string(static_cast<long long>(count) + 1 - below(2 * count + 3));
    unsigned element = 1 + below(count ? count : 1);
    if (chance(300))
        return std::to_string(static_cast<long long>(element) - count - 1);
    return (chance(20) ? "+" : "") + std::to_string(element);
}

// Forms: 0 "v", 1 "v/t", 2 "v/t/n", 3 "v//n".
std::string ObjText::corner(unsigned form)
{
    std::string text = index(vertices);
    if (form == 1 || form == 2)
        text += "/" + index(texCoords);
    if (form == 3)
        text += "//";
    else if (form == 2)
        text += "/";
    if (form >= 2)
        text += index(normals);
    return text;
}

void ObjText::vector(const char *keyword, unsigned components, unsigned *count)
{
    text += keyword;
    for (unsigned i = 0; i < components; i++)
        text += blanks() + number();
    if (chance(50))
        text += blanks() + (odd() ? pick({"f 1 2 3", "v", "g x", "u x"}) : number());
    text += lineEnd();
    ++*count;
}

void ObjText::face()
{
    unsigned form = below(4);
    if ((form == 1 || form == 2) && texCoords == 0)
        form = 0;
    if ((form == 2 || form == 3) && normals == 0)
        form = 0;
    text += "f";
    unsigned corners = odd() ? below(3) : 3 + below(4);
    for (unsigned c = 0; c < corners; c++)
        text += blanks() + corner(odd() ? below(4) : form);
    if (odd())
        text += pick({"\n4", " x", "\n-", " 1/", "/2"});
    text += lineEnd();
}

void ObjText::oddStatement()
{
    text += pick({"vp 1 2\n", "vnx 1 2 3\n", "fo 1 2 3\n", "v 1 2\n", "f\n1 2 3\n",
                  "usemtl plaid\n", "mtllib gone.mtl\n", "v\n"});
    if (chance(100))
        text += std::string("g a\0b\n#\0\n", 10);
    if (chance(100))
        text += std::string("# ") + std::string(130 + below(10), '-') + " v 1 2 3\n";
    if (chance(100))
        text += std::string("g ") + std::string(124 + below(6), 'n') + "\n";
}

void ObjText::statement()
{
    if (odd())
        return oddStatement();
    text += chance(50) ? blanks() : "";
    switch (below(12)) {
    case 0:
    case 1:
    case 2:
        return vector("v", 3, &vertices);
    case 3:
        return vector("vt", 2, &texCoords);
    case 4:
        return vector("vn", 3, &normals);
    case 5:
        text += pick({"g body", "g lid", "group base", "g", "g  two words"}) + lineEnd();
        return;
    case 6:
        if (hasLibrary)
            text += pick({"usemtl red", "usemtl blue", "usemtl default", "usemtl  x red"}) + "\n";
        return;
    case 7:
        text += pick({"# comment", "s 1", "o thing", "s off", "#", "l 1 2"}) + lineEnd();
        return;
    default:
        return vertices ? face() : vector("v", 3, &vertices);
    }
}

std::string ObjText::make(size_t bytes)
{
    hasLibrary = chance(500);
    text = hasLibrary ? std::string("mtllib ") + kObjTextLibrary + "\n" : "";
    while (text.size() < bytes)
        statement();
    if (chance(300) && !text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}
