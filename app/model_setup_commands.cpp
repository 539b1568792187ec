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

// Model is written only on the main thread, so it is read here without the lock; the file work runs
// outside SimMutex and only the loaded record is put in place under it.
void SaveModelSetupCommand() {
    PauseSimulation();
    OpenFileChooser(ParameterFileOptions("Save Parameters", true), [](const std::string& path) {
        if (!SaveModelSetup(Model, path)) ShowMessageBox("Unable to save parameter file", "Error...");
    });
}

void LoadModelSetupCommand() {
    PauseSimulation();
    OpenFileChooser(ParameterFileOptions("Load Parameters", false), [](const std::string& path) {
        ModelSetup loaded = Model;
        if (!LoadModelSetup(loaded, path)) return ShowMessageBox("Unable to load parameter file", "Error...");
        std::lock_guard<std::mutex> lock(SimMutex);
        Model = loaded;
    });
}
