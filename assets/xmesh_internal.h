// What the mesh reader keeps beside the mesh; only assets/'s own files (and tests) use it.
#pragma once
#include <string>

extern float rotorSpan;            // width of the rotor batch along x, after scaling
extern std::string XMeshErrorText; // message of the last error raised
