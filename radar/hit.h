#pragma once

// A detection on the radar screen, in scene units relative to the screen centre.
struct Hit {
    float x;    // scene x offset
    float y;    // scene offset along the depth axis
    float life; // remaining life in seconds
};
