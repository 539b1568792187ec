// ProgramDir and UserDir: derived from the executable's own path and from whether that folder can be
// written, so a portable folder keeps its files beside itself and an installed program keeps them in the
// pilot's folder.
#include "assets/program_paths.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

#include "assets/safe_file.h"

namespace fs = std::filesystem;

std::string ProgramDir = ".";
std::string UserDir;

namespace {
// The folders a pilot's copy of the program folder starts with.
const char* const PilotSubFolders[] = {"data",     "crashsounds", "models", "ModelGeometries",
                                       "canopies", "recordings"};

std::string Join(const std::string& folder, const std::string& relative) {
    return folder + "/" + relative;
}
const std::string& WriteFolder() {
    return UserDir.empty() ? ProgramDir : UserDir;
}
// The home folder: $HOME when it is an absolute path, else the account's entry; "" when neither is known.
std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    const passwd* account = ::getpwuid(::getuid());
    if (account && account->pw_dir && account->pw_dir[0] == '/') return account->pw_dir;
    return "";
}
} // namespace

std::string DeriveProgramDir(const std::string& programFile) {
    size_t slash = programFile.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return programFile.substr(0, slash);
}

bool FolderWritable(const std::string& folder) {
    std::error_code ec;
    fs::path dir = folder.empty() ? fs::path("/") : fs::path(folder);
    if (!fs::is_directory(dir, ec)) fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) return false;
    std::string probe = (dir / ".rotorvane-write-test").string();
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool InstalledByPackage(const std::string& folder) {
    std::error_code ec;
    return fs::is_regular_file(Join(folder, PackageMarkerName), ec);
}

std::string PilotDataDir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return Join(xdg, "rotorvane");
    std::string home = HomeFolder();
    if (home.empty()) return "";
    return home + "/.local/share/rotorvane";
}

bool ChooseUserDir() {
    // A packaged program never writes into its own folder, not even when run by root: the package
    // manager owns that folder, and files left there would outlive the package.
    if (!InstalledByPackage(ProgramDir) && FolderWritable(ProgramDir)) {
        UserDir = ProgramDir;
        return true;
    }
    UserDir = PilotDataDir();
    if (UserDir.empty() || !FolderWritable(UserDir)) return false;
    std::error_code ec;
    for (const char* sub : PilotSubFolders)
        fs::create_directories(Join(UserDir, sub), ec);
    return true;
}

void InitProgramDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    ProgramDir = ec ? std::string(".") : DeriveProgramDir(exe.string());
    if (!ChooseUserDir()) {
        std::string where = UserDir.empty() ? ProgramDir + " and finds no home folder" : UserDir;
        PostUserMessage("Rotorvane cannot write to " + where +
                        ".\nSettings, calibration, recordings and the flight log will not be kept.");
    }
}

bool UsingPilotFolder() {
    return WriteFolder() != ProgramDir;
}

std::string ReadPath(const std::string& relative) {
    if (UsingPilotFolder()) {
        std::string own = Join(WriteFolder(), relative);
        std::error_code ec;
        if (fs::exists(own, ec)) return own;
    }
    return Join(ProgramDir, relative);
}

std::string WritePath(const std::string& relative) {
    std::string path = Join(WriteFolder(), relative);
    fs::path parent = fs::path(path).parent_path();
    std::error_code ec;
    if (!parent.empty() && !fs::is_directory(parent, ec)) fs::create_directories(parent, ec);
    return path;
}

std::vector<std::string> ListingFolders(const std::string& relative) {
    std::vector<std::string> folders{Join(WriteFolder(), relative)};
    if (UsingPilotFolder()) folders.push_back(Join(ProgramDir, relative));
    return folders;
}

std::string ShippedCounterpart(const std::string& folder) {
    if (!UsingPilotFolder() || folder.empty()) return "";
    std::error_code ec;
    fs::path own = fs::weakly_canonical(fs::path(folder), ec);
    if (ec) return "";
    fs::path root = fs::weakly_canonical(fs::path(WriteFolder()), ec);
    if (ec) return "";
    fs::path inside = own.lexically_relative(root);
    if (inside.empty() || *inside.begin() == "..") return "";
    fs::path shipped = inside == "." ? fs::path(ProgramDir) : fs::path(ProgramDir) / inside;
    if (!fs::is_directory(shipped, ec)) return "";
    return shipped.string();
}

std::vector<std::string> MergeListings(const std::vector<std::string>& paths, size_t limit) {
    std::vector<std::string> merged;
    std::vector<std::string> names;
    for (const std::string& path : paths) {
        std::string name = fs::path(path).filename().string();
        if (std::find(names.begin(), names.end(), name) != names.end()) continue;
        names.push_back(name);
        merged.push_back(path);
    }
    std::stable_sort(merged.begin(), merged.end(), [](const std::string& a, const std::string& b) {
        return fs::path(a).filename().string() < fs::path(b).filename().string();
    });
    if (merged.size() > limit) merged.resize(limit);
    return merged;
}

std::string ProgramPath(const std::string& relative) {
    return Join(ProgramDir, relative);
}

namespace {
// A file shipped with a default: the pilot's copy when there is one.
FilePlace ShippedDefault(const std::string& relative) {
    return {ReadPath(relative), WritePath(relative)};
}
// A file only the program writes: an install folder's copy is never the pilot's.
FilePlace OwnFile(const std::string& relative) {
    std::string path = WritePath(relative);
    return {path, path};
}
} // namespace

FilePlace UserPrefsPlace() {
    return ShippedDefault("UserPrefs.dat");
}
FilePlace SettingsPlace() {
    return ShippedDefault("Settings.ini");
}
FilePlace CalibrationPlace() {
    return ShippedDefault("JoystickCalibration.dat");
}
FilePlace MappingPlace() {
    return ShippedDefault("JoystickMapping.dat");
}
FilePlace StartUpSetupPlace() {
    return ShippedDefault("data/StartUp.par");
}
FilePlace CanopyPicturePlace() {
    return ShippedDefault("data/canopy.jpg");
}
FilePlace FlightLogPlace() {
    return OwnFile("FlightLogData.log");
}
FilePlace FlightLogTextPlace() {
    return OwnFile("FlightLog.txt");
}
FilePlace ScratchRecordingPlace() {
    return OwnFile("temporary.rec");
}
FilePlace HelicopterFilePlace(const std::string& name) {
    return ShippedDefault("helicopters/" + name + ".toml");
}
