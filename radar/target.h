#pragma once

// Capacity of each target buffer of the radar logic.
constexpr int MaxTargets = 1000;

// One target as received from the server; coordinates 0..1 cover the screen.
struct TargetReport {
    float x;
    float y;
    float value; // third per-target field of the frame; stored, not used
};

// One target in a display snapshot.
struct Target {
    float x;
    float y;
    bool hit; // set once the beam has passed it in the current snapshot
};
