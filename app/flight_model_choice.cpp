// The choice of flight model: listing the helicopter files, reading one, and keeping the choice.
#include "app/flight_model_choice.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "assets/program_paths.h"
#include "assets/safe_file.h"
#include "assets/settings_ini.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"

FlightModelChoice ActiveFlightModel;
void (*OnFlightModelChanged)() = nullptr;

namespace fs = std::filesystem;

namespace {
constexpr std::uintmax_t MaxHelicopterFileBytes = 1 << 20;
constexpr const char* HelicopterExtension = ".toml";

// The whole file, or false when it is missing, not a regular file or too large to be a helicopter.
bool ReadHelicopterFile(const std::string& path, std::string& text, std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = path + ": no such helicopter file";
        return false;
    }
    std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > MaxHelicopterFileBytes) {
        error = path + ": too large for a helicopter file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    if (!in && !in.eof()) {
        error = path + ": cannot be read";
        return false;
    }
    text = all.str();
    return true;
}

void UseModel(const FlightModelChoice& next) {
    std::lock_guard<std::mutex> lock(SimMutex);
    ActiveFlightModel = next;
    ResetHelicopter();
    if (OnFlightModelChanged) OnFlightModelChanged();
}
} // namespace

std::vector<std::string> ListHelicopterNames() {
    std::vector<std::string> names;
    for (const std::string& folder : ListingFolders("helicopters")) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path& p = it->path();
            if (p.extension() != HelicopterExtension || !it->is_regular_file(ec)) continue;
            std::string name = p.stem().string();
            if (name.empty() || name == ClassicModelName) continue;
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool ChooseFlightModel(const std::string& name, std::string& error) {
    FlightModelChoice next;
    if (name != ClassicModelName) {
        // A name is a file name inside helicopters/, never a path.
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
            error = "\"" + name + "\" is not a helicopter name";
            return false;
        }
        std::string path = HelicopterFilePlace(name).read;
        std::string text;
        if (!ReadHelicopterFile(path, text, error)) return false;
        if (!ParseRealisticParams(text, path, next.params, error)) return false;
        next.realistic = true;
        next.name = name;
        next.derived = DeriveRealistic(next.params);
    }
    UseModel(next);
    SetSetting(FlightModelKey, next.name);
    SaveSettingsFile(Settings, SettingsPlace().write);
    return true;
}

void LoadFlightModelChoice() {
    std::string name = GetSetting(FlightModelKey, ClassicModelName);
    std::string error;
    if (name == ClassicModelName || ChooseFlightModel(name, error)) return;
    PostUserMessage("The helicopter \"" + name + "\" cannot be flown; the classic model flies instead.\n" +
                    error);
    UseModel(FlightModelChoice{});
}

void ChooseFlightModelCommand(const std::string& name) {
    std::string error;
    if (!ChooseFlightModel(name, error))
        PostUserMessage("The helicopter \"" + name + "\" was not loaded; the model in use stays.\n" + error);
}
