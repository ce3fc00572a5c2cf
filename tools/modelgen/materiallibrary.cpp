#include "materiallibrary.h"

#include <cstdio>

namespace
{

std::string colourLine(const char *keyword, const Vec3 &colour)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s %.3f %.3f %.3f\n", keyword, colour.x, colour.y, colour.z);
    return text;
}

} // namespace

std::string materialLibraryText(const std::vector<std::string> &header,
                                const std::vector<Material> &materials)
{
    std::string out;
    for (const std::string &line : header)
        out += "# " + line + "\n";
    for (const Material &m : materials) {
        char shininess[48];
        std::snprintf(shininess, sizeof shininess, "Ns %.1f\n", m.shininess);
        out += "\nnewmtl " + m.name + "\n";
        out += colourLine("Ka", m.ambient);
        out += colourLine("Kd", m.diffuse);
        out += colourLine("Ks", m.specular);
        out += shininess;
        if (!m.texture.empty())
            out += "map_Kd " + m.texture + "\n";
    }
    return out;
}
