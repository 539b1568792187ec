// Loading and saving the model setup record as a .par file.
#pragma once
#include <string>

#include "flight/model_setup.h"

// Both return true on success, as every other load and save; the record is unchanged when the file
// cannot be opened. A short file replaces only the leading bytes it holds.
bool LoadModelSetup(ModelSetup& setup, const std::string& path);
bool SaveModelSetup(const ModelSetup& setup, const std::string& path);
