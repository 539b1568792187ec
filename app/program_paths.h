// The program folder and the fixed file locations built from it.
#pragma once
#include <string>

// Folder of the program file without a trailing '/' ("" for the root folder, so paths become "/x");
// "." when the path has no separator at all.
std::string DeriveProgramDir(const std::string& programFile);

extern std::string ProgramDir;

// Sets ProgramDir from the running executable (/proc/self/exe).
void InitProgramDir();

// ProgramDir + "/" + relative, e.g. ProgramPath("data/StartUp.par").
std::string ProgramPath(const std::string& relative);
