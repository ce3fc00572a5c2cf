#include "materiallibrary.h"

#include <cstdio>

namespace
{

// Ambient light picks up this share of a material's diffuse colour.
constexpr double kAmbientShare = 0.3;

std::string colourLine(const char *keyword, const Vec3 &colour)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s %.3f %.3f %.3f\n", keyword, colour.x, colour.y, colour.z);
    return text;
}

} // namespace

Material texturedMaterial(const std::string &name, const Vec3 &diffuse, double specular,
                          double shininess, const std::string &texture)
{
    const Vec3 grey{specular, specular, specular};
    return {name, diffuse, diffuse * kAmbientShare, grey, shininess, texture};
}

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
