// The Model menu's file commands: the chooser in models/ and the two error messages.
#include <filesystem>
#include <system_error>

#include "app/menu_actions.h"
#include "app/model_setup.h"
#include "app/shared_flags.h"
#include "assets/program_paths.h"
#include "flight/heli_state.h"
#include "flight/sim_control.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"

namespace {
FileChooserOptions ParameterFileOptions(const char* title, bool save) {
    std::string folder = WritePath("models");
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) std::filesystem::create_directory(folder, ec);
    return ChooserInFolder(title, "Parameter File (*.par)", "*.par", folder, "HeliParams.par", true, save);
}
} // namespace

void SaveModelSetupCommand() {
    PauseSimulation();
    OpenFileChooser(ParameterFileOptions("Save Parameters", true), [](const std::string& path) {
        bool failed;
        {
            std::lock_guard<std::mutex> lock(SimMutex);
            failed = SaveModelSetup(Model, path);
        }
        if (failed) ShowMessageBox("Unable to save parameter file", "Error...");
    });
}

void LoadModelSetupCommand() {
    PauseSimulation();
    OpenFileChooser(ParameterFileOptions("Load Parameters", false), [](const std::string& path) {
        bool failed;
        {
            std::lock_guard<std::mutex> lock(SimMutex);
            failed = LoadModelSetup(Model, path);
        }
        if (failed) ShowMessageBox("Unable to load parameter file", "Error...");
    });
}
