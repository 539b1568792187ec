// Graphics menu commands, with the file chooser and the message box of the platform layer.
#include "app/graphics_commands.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "app/menu.h"
#include "app/shared_flags.h"
#include "assets/program_paths.h"
#include "assets/xmesh.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "render/heli_model.h"
#include "render/textures.h"
#include "ui/file_chooser.h"
#include "ui/message_box.h"

namespace {
// Takes SimMutex itself, as every command does; ResetHelicopter needs the caller to hold it.
void ResetHelicopterCommand() {
    std::lock_guard<std::mutex> lock(SimMutex);
    ResetHelicopter();
}

std::string EnsureFolder(const char* name) {
    std::string folder = WritePath(name);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}
} // namespace

void ChooseCanopyImage() {
    std::string folder = EnsureFolder("canopies");
    FileChooserOptions options = ChooserInFolder("Select Canopy Image", "Canopies (*.jpg)", "*.jpg", folder,
                                                 "canopy.jpg", true, false);
    OpenFileChooser(options, [](const std::string& path) {
        InstallCanopyPicture(path);
        ResetHelicopterCommand();
    });
}

void ChooseHeliGeometry() {
    std::string folder = EnsureFolder("ModelGeometries");
    FileChooserOptions options = ChooserInFolder("Load Heli Geometry", "Heli Geometries (*.x)", "*.x", folder,
                                                 "bell206.x", true, false);
    OpenFileChooser(options, [](const std::string& path) {
        bool ok = LoadHeliGeometryFile(path);
        ResetHelicopterCommand();
        reloadHeliTexture = true;
        // Code 1 (file not opened) sets no text of its own, so the message comes from the code.
        if (!ok) ShowMessageBox(XMeshErrorMessage(HeliMesh.errorCode), "Error...");
    });
}

bool RunGraphicsCommand(int id) {
    switch (id) {
    case CmdStockGeometry:
        UseStockGeometry();
        ResetHelicopterCommand();
        reloadHeliTexture = true;
        return true;
    case CmdCanopyGraphics:
        ChooseCanopyImage();
        return true;
    case CmdLoadHeliGeometry:
        ChooseHeliGeometry();
        return true;
    case CmdScale450:
        SetHeliScale(1.0f);
        return true;
    case CmdScaleLarge:
        SetHeliScale(1.5f);
        return true;
    case CmdScaleJumbo:
        SetHeliScale(2.0f);
        return true;
    case CmdBackgroundHigh:
        SetBackgroundResolution(3);
        return true;
    case CmdBackgroundMedium:
        SetBackgroundResolution(2);
        return true;
    case CmdBackgroundLow:
        SetBackgroundResolution(1);
        return true;
    default:
        return false;
    }
}
