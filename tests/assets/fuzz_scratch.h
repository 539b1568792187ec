// The scratch file through which the fuzz targets hand their input to readers that take a path.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

// Writes the input to /tmp/rv_fuzz_<name>_<pid><suffix> and returns its path, or "" when it cannot.
inline std::string WriteScratchFile(const char* name, const uint8_t* data, size_t size,
                                    const char* suffix = "") {
    const std::string path = "/tmp/rv_fuzz_" + std::string(name) + "_" + std::to_string(::getpid()) + suffix;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}
