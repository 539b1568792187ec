// ProgramDir: derived from the executable's own path, so the program keeps its files beside itself.
#include "app/program_paths.h"

#include <filesystem>
#include <system_error>

std::string ProgramDir = ".";

std::string DeriveProgramDir(const std::string& programFile) {
    size_t slash = programFile.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return programFile.substr(0, slash);
}

void InitProgramDir() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    ProgramDir = ec ? std::string(".") : DeriveProgramDir(exe.string());
}

std::string ProgramPath(const std::string& relative) { return ProgramDir + "/" + relative; }
