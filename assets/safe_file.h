// Saving without ever losing the previous file: each save is written to a temporary file in the same
// folder, flushed to disk and renamed over the old one. Failed saves and other things the pilot must
// hear about are queued as messages for the main loop to show.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

// One save in progress: write to file, then FinishAtomicWrite.
struct AtomicWrite {
    std::FILE* file = nullptr;
    std::string path;     // the file that is replaced
    std::string tempPath; // path + ".tmp-XXXXXX", in the same folder
    bool failed = false;
};

// Opens a temporary file beside path for binary writing. False (and the failure reported) when it
// cannot be created; aw.file is then null.
bool BeginAtomicWrite(AtomicWrite& aw, const std::string& path);
// Flushes, syncs, closes and renames the temporary file over path. On any failure (a short write, a full
// disk, a read-only file) the temporary file is removed, path is left as it was, the failure is reported
// and false is returned.
bool FinishAtomicWrite(AtomicWrite& aw);
// Drops a save half written (nothing is reported; path is left as it was).
void AbandonAtomicWrite(AtomicWrite& aw);
// The whole of bytes as path, atomically. False (and reported) on failure.
bool WriteFileAtomically(const std::string& path, const void* bytes, size_t size);
// Copies source over target atomically (the old target stays whole when the copy fails).
bool CopyFileAtomically(const std::string& source, const std::string& target);

// The caption of every message about files.
inline constexpr const char* FilesCaption = "Rotorvane";

// A message for the pilot, shown once per distinct text by the main loop (and written to stderr at once).
// Any thread may post.
void PostUserMessage(const std::string& text);
// Reports a save that failed: "Could not save <path>: <reason>", once per path and run.
void ReportSaveFailure(const std::string& path, const std::string& reason);
// Reports a file that could not be read although the program needed it, once per path and run.
void ReportReadFailure(const std::string& path, const std::string& what);
// The messages posted since the last call (main thread).
std::vector<std::string> TakeUserMessages();
// Forgets which messages were shown (tests).
void ResetUserMessages();
