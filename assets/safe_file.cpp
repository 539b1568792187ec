// Atomic saves (temporary file, fsync, rename) and the queue of messages about files for the pilot.
#include "assets/safe_file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::mutex messageMutex;
std::vector<std::string> pendingMessages;
std::set<std::string> shownMessages;

std::string ErrnoText(int err) {
    return err ? std::string(std::strerror(err)) : std::string("write failed");
}

// Makes the rename itself durable: the folder's entry is synced too.
void SyncFolderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    int fd = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
} // namespace

bool BeginAtomicWrite(AtomicWrite& aw, const std::string& path) {
    aw = AtomicWrite{};
    aw.path = path;
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        ReportSaveFailure(path, ErrnoText(errno));
        aw.failed = true;
        return false;
    }
    ::fchmod(fd, 0644);
    aw.tempPath = name.data();
    aw.file = ::fdopen(fd, "wb");
    if (!aw.file) {
        int err = errno;
        ::close(fd);
        ::unlink(aw.tempPath.c_str());
        ReportSaveFailure(path, ErrnoText(err));
        aw.failed = true;
        return false;
    }
    return true;
}

bool FinishAtomicWrite(AtomicWrite& aw) {
    if (!aw.file) return false;
    int err = 0;
    bool ok = !std::ferror(aw.file);
    if (!ok) err = errno;
    if (ok && std::fflush(aw.file) != 0) ok = false, err = errno;
    if (ok && ::fsync(fileno(aw.file)) != 0) ok = false, err = errno;
    if (std::fclose(aw.file) != 0 && ok) ok = false, err = errno;
    aw.file = nullptr;
    if (ok && std::rename(aw.tempPath.c_str(), aw.path.c_str()) != 0) ok = false, err = errno;
    if (!ok) {
        ::unlink(aw.tempPath.c_str());
        ReportSaveFailure(aw.path, ErrnoText(err));
        aw.failed = true;
        return false;
    }
    SyncFolderOf(aw.path);
    return true;
}

void AbandonAtomicWrite(AtomicWrite& aw) {
    if (aw.file) std::fclose(aw.file);
    aw.file = nullptr;
    if (!aw.tempPath.empty()) ::unlink(aw.tempPath.c_str());
}

bool WriteFileAtomically(const std::string& path, const void* bytes, size_t size) {
    AtomicWrite aw;
    if (!BeginAtomicWrite(aw, path)) return false;
    if (size > 0 && std::fwrite(bytes, 1, size, aw.file) != size) {
        int err = errno;
        AbandonAtomicWrite(aw);
        ReportSaveFailure(path, ErrnoText(err));
        return false;
    }
    return FinishAtomicWrite(aw);
}

bool CopyFileAtomically(const std::string& source, const std::string& target) {
    std::FILE* in = std::fopen(source.c_str(), "rb");
    if (!in) {
        ReportSaveFailure(target, "cannot read " + source + ": " + ErrnoText(errno));
        return false;
    }
    AtomicWrite aw;
    if (!BeginAtomicWrite(aw, target)) {
        std::fclose(in);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        if (std::fwrite(buffer, 1, n, aw.file) != n) {
            ok = false;
            break;
        }
    if (std::ferror(in)) ok = false;
    std::fclose(in);
    if (!ok) {
        int err = errno;
        AbandonAtomicWrite(aw);
        ReportSaveFailure(target, ErrnoText(err));
        return false;
    }
    return FinishAtomicWrite(aw);
}

void PostUserMessage(const std::string& text) {
    std::lock_guard<std::mutex> lock(messageMutex);
    if (!shownMessages.insert(text).second) return;
    pendingMessages.push_back(text);
    // Also on stderr: a message posted during the shutdown saves has no window left to show it in.
    std::fprintf(stderr, "Rotorvane: %s\n", text.c_str());
}

void ReportSaveFailure(const std::string& path, const std::string& reason) {
    PostUserMessage("Could not save " + path + ": " + reason + ".\nThe previous file, if any, is unchanged.");
}

void ReportReadFailure(const std::string& path, const std::string& what) {
    PostUserMessage("Could not read " + what + " from " + path + ".");
}

std::vector<std::string> TakeUserMessages() {
    std::lock_guard<std::mutex> lock(messageMutex);
    std::vector<std::string> taken;
    taken.swap(pendingMessages);
    return taken;
}

void ResetUserMessages() {
    std::lock_guard<std::mutex> lock(messageMutex);
    pendingMessages.clear();
    shownMessages.clear();
}
