#pragma once

#include "vec3.h"

#include <string>
#include <vector>

// One material of a model's MTL file. The view draws the models textured and
// unlit, so the colours matter only to other viewers of the files.
struct Material {
    std::string name;
    Vec3 diffuse;         // Kd, 0..1 per channel
    Vec3 ambient;         // Ka
    Vec3 specular;        // Ks
    double shininess = 0; // Ns, 0..1000
    std::string texture;  // map_Kd, relative to the MTL file's folder
};

// A material whose ambient colour is a share of its diffuse colour.
Material texturedMaterial(const std::string &name, const Vec3 &diffuse, double specular,
                          double shininess, const std::string &texture);

// The MTL text: header comment lines, then each material.
std::string materialLibraryText(const std::vector<std::string> &header,
                                const std::vector<Material> &materials);
