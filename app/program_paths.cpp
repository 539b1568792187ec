// ProgramDir and UserDir: derived from the executable's own path and from whether that folder can be
// written, so a portable folder keeps its files beside itself and an installed program keeps them in the
// pilot's folder.
#include "app/program_paths.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

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

std::string PilotDataDir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return Join(xdg, "rotorvane");
    const char* home = std::getenv("HOME");
    std::string base = (home && home[0]) ? std::string(home) : std::string(".");
    return base + "/.local/share/rotorvane";
}

bool ChooseUserDir() {
    if (FolderWritable(ProgramDir)) {
        UserDir = ProgramDir;
        return true;
    }
    UserDir = PilotDataDir();
    if (!FolderWritable(UserDir)) return false;
    std::error_code ec;
    for (const char* sub : PilotSubFolders)
        fs::create_directories(Join(UserDir, sub), ec);
    return true;
}

bool InitProgramDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    ProgramDir = ec ? std::string(".") : DeriveProgramDir(exe.string());
    return ChooseUserDir();
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

std::string ProgramPath(const std::string& relative) {
    return Join(ProgramDir, relative);
}
