#pragma once

#include "simtarget.h"

// A world of moving targets, asked for the picture at a moment in time.
class TargetSource
{
public:
    virtual ~TargetSource() = default;

    // The targets present at the given seconds since the simulation started.
    // Callers ask for non-decreasing times; the answer for a time depends only
    // on the source's construction (seed, file), never on how often it was asked.
    virtual TargetList targetsAt(double seconds) = 0;
};
