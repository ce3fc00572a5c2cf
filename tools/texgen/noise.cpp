#include "noise.h"

#include <cmath>
#include <cstdint>

namespace
{

const int kOctaves = 4;

// Integer hash (Wang-style mixing) to [0, 1).
double latticeValue(int x, int y, unsigned seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFFu) / static_cast<double>(0x1000000);
}

double smooth(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

int wrap(int i, int period)
{
    return ((i % period) + period) % period;
}

} // namespace

double tileableNoise(double x, double y, int size, int cellSize, unsigned seed)
{
    const int period = size / cellSize;
    const double fx = x / cellSize;
    const double fy = y / cellSize;
    const int x0 = static_cast<int>(std::floor(fx));
    const int y0 = static_cast<int>(std::floor(fy));
    const double tx = smooth(fx - x0);
    const double ty = smooth(fy - y0);
    const int xa = wrap(x0, period), xb = wrap(x0 + 1, period);
    const int ya = wrap(y0, period), yb = wrap(y0 + 1, period);
    const double top = latticeValue(xa, ya, seed) * (1 - tx) + latticeValue(xb, ya, seed) * tx;
    const double bottom = latticeValue(xa, yb, seed) * (1 - tx) + latticeValue(xb, yb, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

double tileableFractal(double x, double y, int size, int minCell, unsigned seed)
{
    double sum = 0.0;
    double weight = 0.5;
    double total = 0.0;
    int cell = minCell << (kOctaves - 1);
    for (int octave = 0; octave < kOctaves; ++octave) {
        sum += weight * tileableNoise(x, y, size, cell, seed + octave);
        total += weight;
        weight *= 0.5;
        cell /= 2;
    }
    return sum / total;
}
