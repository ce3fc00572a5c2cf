#pragma once

#include <ostream>
#include <string>

// What the client and its tools compute from fixed inputs, printed in full
// (floats as exact hexadecimal), so that two machines' answers can be compared
// line by line. Each writes its section to out.

// The client's lines (build, hit, zone alarms and clears) for standing
// targets, its beam turned in fixed ticks against the simulator on loopback,
// on standard output as the client prints them. False when the simulator or
// the link failed.
bool printHitAnswers();

// Each model the model library reads from the OBJ files under folder, or what
// it refused, then the model as the view prepares it (fitted to the unit cube,
// facet and vertex normals). OBJ corpus entries hold an OBJ file and its
// material library, split at a separator line.
void printModelAnswers(std::ostream &out, const std::string &folder, bool corpus);

// The simulator's wire bytes for seeded random walkers and for the example
// scenarios, one digest line per frame, and the frame reader's records for
// the frame reader corpus's byte streams. False when a file cannot be read.
bool printSimAnswers(std::ostream &out, const std::string &sourceDir);
