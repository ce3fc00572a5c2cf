#pragma once

// Deterministic, tileable value noise, so that the generated textures come out
// the same on every run and repeat without seams.

// Noise in [0, 1) at pixel (x, y) of a texture size pixels square, made of
// cells cellSize pixels wide (size must be a multiple of cellSize). seed picks
// an independent pattern.
double tileableNoise(double x, double y, int size, int cellSize, unsigned seed);

// A few octaves of tileableNoise, finest cells minCell pixels, in [0, 1).
double tileableFractal(double x, double y, int size, int minCell, unsigned seed);
