#pragma once

// An entry of the OBJ corpus: an OBJ file, then this separator line, then the
// material library that its mtllib lines name (kObjCorpusMtlName). The fuzz
// target reads entries so, and so does whatever replays them elsewhere.
constexpr char kObjCorpusSeparator[] = "\n=mtl=\n";
constexpr char kObjCorpusObjName[] = "model.obj";
constexpr char kObjCorpusMtlName[] = "model.mtl";
