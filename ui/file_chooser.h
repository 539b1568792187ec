// The in-program file chooser that stands in for the desktop's open and save dialogs.
#pragma once
#include <functional>
#include <string>

struct FileChooserOptions {
    std::string title;            // e.g. "Load Parameters"
    std::string filterText;       // e.g. "Parameter File (*.par)"
    std::string pattern;          // e.g. "*.par"
    std::string initialFolder;    // folder shown first
    std::string fileName;         // pre-filled name (a full path or a bare name)
    std::string defaultExtension; // added when the typed name has none, e.g. "par"
    bool mustExist = false;       // the chosen file must exist (open dialogs)
    bool save = false;            // a save dialog (asks before replacing nothing; shows "Save")
};

// Options for a chooser in a folder with one pre-filled file name; the default extension is taken from
// a "*.ext" pattern.
FileChooserOptions ChooserInFolder(const std::string& title, const std::string& filterText,
                                   const std::string& pattern, const std::string& folder,
                                   const std::string& fileName, bool mustExist, bool save);

// Opens the chooser over everything else. onChosen runs later on the main thread, with the full path,
// when the user confirms; nothing runs when the user cancels.
void OpenFileChooser(const FileChooserOptions& options, std::function<void(const std::string&)> onChosen);
bool FileChooserIsOpen();
// Drawn by the main loop inside the ImGui frame.
void DrawFileChooser();

// name as valid UTF-8 for showing: each byte that does not belong to a well-formed sequence (and every
// control character) becomes '?'. The chooser shows and pre-fills this; choosing such an entry still opens
// the file under its real name.
std::string ShowableFileName(const std::string& name);
