// The in-program open/save chooser: a modal ImGui window listing folders and the files that match.
#include "ui/file_chooser.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <imgui.h>
#include <system_error>
#include <vector>

#include "assets/program_paths.h"
#include "assets/text.h"
#include "ui/dialog_ui.h"

namespace fs = std::filesystem;

namespace {
struct ChooserState {
    bool requested = false;
    bool open = false;
    FileChooserOptions options;
    std::function<void(const std::string&)> onChosen;
    std::string folder;
    // The install folder matching folder when it lies in the pilot's folder: an open dialog lists its
    // files too, so shipped setups, recordings, geometries and canopies stay in reach.
    std::string shipped;
    char name[4096] = {};
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::string error;
    int selected = -1;
    std::string selectedFile; // the real name of the file picked in the list (may not be valid UTF-8)
    // Set when the dialog opens: the name box selects its whole text as soon as it has the keyboard, so
    // typing replaces the suggested name (ImGui would keep the selection of the dialog shown before).
    bool selectWholeName = false;
};
ChooserState chooser;

int SelectWholeNameOnce(ImGuiInputTextCallbackData* data) {
    if (!chooser.selectWholeName) return 0;
    chooser.selectWholeName = false;
    data->SelectionStart = 0;
    data->SelectionEnd = data->BufTextLen;
    data->CursorPos = data->BufTextLen;
    return 0;
}

// Matches "*.ext" style patterns (several may be separated by ';'), case-insensitively.
bool MatchesPattern(const std::string& fileName, const std::string& pattern) {
    if (pattern.empty() || pattern == "*" || pattern == "*.*") return true;
    size_t start = 0;
    while (start <= pattern.size()) {
        size_t end = pattern.find(';', start);
        std::string one = pattern.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (one.size() > 1 && one[0] == '*') {
            std::string suffix = one.substr(1);
            if (fileName.size() >= suffix.size() &&
                std::equal(suffix.begin(), suffix.end(), fileName.end() - suffix.size(),
                           [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                return true;
        } else if (one == fileName) {
            return true;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

// Adds the entries of folder to the lists (a name listed already is not added again).
void ListFolder(const std::string& folder, bool withFolders) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string leaf = it->path().filename().string();
        if (leaf.empty() || leaf[0] == '.') continue;
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            if (withFolders) chooser.folders.push_back(leaf);
        } else if (MatchesPattern(leaf, chooser.options.pattern) &&
                   std::find(chooser.files.begin(), chooser.files.end(), leaf) == chooser.files.end()) {
            chooser.files.push_back(leaf);
        }
    }
}

void ReadFolder() {
    chooser.folders.clear();
    chooser.files.clear();
    chooser.selected = -1;
    chooser.selectedFile.clear();
    ListFolder(chooser.folder, true);
    chooser.shipped = chooser.options.save ? std::string() : ShippedCounterpart(chooser.folder);
    if (!chooser.shipped.empty()) ListFolder(chooser.shipped, false);
    std::sort(chooser.folders.begin(), chooser.folders.end());
    std::sort(chooser.files.begin(), chooser.files.end());
}

void SetName(const std::string& text) {
    std::strncpy(chooser.name, text.c_str(), sizeof chooser.name - 1);
    chooser.name[sizeof chooser.name - 1] = '\0';
}

void EnterFolder(const fs::path& folder) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(folder, ec);
    chooser.folder = (ec ? folder : canonical).string();
    chooser.error.clear();
    ReadFolder();
}

// Turns the typed name into a full path; false when the user only changed folder.
bool ResolveChoice(std::string& result) {
    std::string typed = chooser.name;
    while (!typed.empty() && typed.back() == ' ')
        typed.pop_back();
    if (typed.empty()) return false;
    // A name shown with '?' for bytes that are not UTF-8 stands for the real name picked in the list.
    if (!chooser.selectedFile.empty() && typed == ShowableFileName(chooser.selectedFile))
        typed = chooser.selectedFile;
    fs::path path(typed);
    const bool relative = path.is_relative();
    if (relative) path = fs::path(chooser.folder) / path;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        EnterFolder(path);
        SetName("");
        return false;
    }
    if (!path.has_extension() && !chooser.options.defaultExtension.empty())
        path += "." + chooser.options.defaultExtension;
    // A name the pilot's folder does not hold is the shipped file of that name, when there is one.
    if (relative && !chooser.shipped.empty() && !fs::exists(path, ec)) {
        fs::path shipped = fs::path(chooser.shipped) / path.lexically_relative(chooser.folder);
        if (fs::is_regular_file(shipped, ec)) path = shipped;
    }
    if (chooser.options.mustExist && !chooser.options.save && !fs::exists(path, ec)) {
        chooser.error = ShowableFileName(path.filename().string()) +
                        "\nFile not found.\nCheck the file name and try again.";
        return false;
    }
    result = path.string();
    return true;
}

void Finish(bool confirmed, const std::string& path) {
    auto callback = std::move(chooser.onChosen);
    chooser.onChosen = nullptr;
    chooser.open = false;
    ImGui::CloseCurrentPopup();
    if (confirmed && callback) callback(path);
}
} // namespace

std::string ShowableFileName(const std::string& name) {
    return ShowableText(name, '?');
}

FileChooserOptions ChooserInFolder(const std::string& title, const std::string& filterText,
                                   const std::string& pattern, const std::string& folder,
                                   const std::string& fileName, bool mustExist, bool save) {
    FileChooserOptions options;
    options.title = title;
    options.filterText = filterText;
    options.pattern = pattern;
    options.initialFolder = folder;
    options.fileName = folder + "/" + fileName;
    options.defaultExtension = pattern.rfind("*.", 0) == 0 ? pattern.substr(2) : std::string();
    options.mustExist = mustExist;
    options.save = save;
    return options;
}

void OpenFileChooser(const FileChooserOptions& options, std::function<void(const std::string&)> onChosen) {
    chooser.options = options;
    chooser.onChosen = std::move(onChosen);
    chooser.requested = true;
    fs::path preset(options.fileName);
    fs::path folder = options.initialFolder.empty() ? fs::current_path() : fs::path(options.initialFolder);
    if (preset.has_parent_path() && preset.is_absolute()) {
        std::error_code ec;
        if (fs::is_directory(preset.parent_path(), ec) && options.initialFolder.empty())
            folder = preset.parent_path();
    }
    EnterFolder(folder);
    chooser.selectedFile = preset.filename().string();
    SetName(ShowableFileName(chooser.selectedFile));
}

bool FileChooserIsOpen() {
    return chooser.requested || chooser.open;
}

void DrawFileChooser() {
    const std::string id = chooser.options.title + "###filechooser";
    const bool openNow = chooser.requested;
    if (chooser.requested) {
        chooser.requested = false;
        chooser.open = true;
    }
    if (!chooser.open) return;
    ImGui::SetNextWindowSize(ImVec2(600, 430), ImGuiCond_Appearing);
    bool keepOpen = true;
    if (!BeginCenteredModal(id.c_str(), openNow, &keepOpen, ImGuiWindowFlags_None)) {
        chooser.open = false;
        chooser.onChosen = nullptr;
        return;
    }
    if (!keepOpen) {
        Finish(false, "");
        ImGui::EndPopup();
        return;
    }
    ImGui::TextUnformatted(chooser.options.save ? "Save in:" : "Look in:");
    ImGui::SameLine();
    if (ImGui::Button("Up")) EnterFolder(fs::path(chooser.folder).parent_path());
    ImGui::SameLine();
    ImGui::TextWrapped("%s", ShowableFileName(chooser.folder).c_str());

    float footer = ImGui::GetFrameHeightWithSpacing() * 3 + ImGui::GetTextLineHeightWithSpacing() * 2;
    std::string chosen;
    bool confirm = false;
    if (ImGui::BeginListBox("##entries", ImVec2(-FLT_MIN, -footer))) {
        int index = 0;
        for (const std::string& folderName : chooser.folders) {
            // Built piece by piece: GCC 12 at -O3 warns falsely on a literal + string chain here.
            std::string label = "[";
            label += ShowableFileName(folderName);
            label += "]##";
            label += std::to_string(index);
            if (ImGui::Selectable(label.c_str(), chooser.selected == index,
                                  ImGuiSelectableFlags_AllowDoubleClick)) {
                chooser.selected = index;
                if (ImGui::IsMouseDoubleClicked(0)) {
                    EnterFolder(fs::path(chooser.folder) / folderName);
                    ImGui::EndListBox();
                    ImGui::EndPopup();
                    return;
                }
            }
            ++index;
        }
        for (const std::string& fileName : chooser.files) {
            std::string label = ShowableFileName(fileName) + "##" + std::to_string(index);
            if (ImGui::Selectable(label.c_str(), chooser.selected == index,
                                  ImGuiSelectableFlags_AllowDoubleClick)) {
                chooser.selected = index;
                chooser.selectedFile = fileName;
                SetName(ShowableFileName(fileName));
                if (ImGui::IsMouseDoubleClicked(0)) confirm = true;
            }
            ++index;
        }
        ImGui::EndListBox();
    }
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted("File name:    ");
    ImGui::SameLine();
    ImGui::SetNextItemWidth(-110);
    if (ImGui::IsWindowAppearing()) {
        ImGui::SetKeyboardFocusHere();
        chooser.selectWholeName = true;
    }
    if (ImGui::InputText("##name", chooser.name, sizeof chooser.name,
                         ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_CallbackAlways,
                         SelectWholeNameOnce))
        confirm = true;
    ImGui::SameLine();
    if (ImGui::Button(chooser.options.save ? "Save" : "Open", ImVec2(100, 0))) confirm = true;
    ImGui::AlignTextToFramePadding();
    ImGui::Text("%s", chooser.options.save ? "Save as type:" : "Files of type:");
    ImGui::SameLine();
    ImGui::SetNextItemWidth(-110);
    if (ImGui::BeginCombo("##type", chooser.options.filterText.c_str())) {
        ImGui::Selectable(chooser.options.filterText.c_str(), true);
        ImGui::EndCombo();
    }
    ImGui::SameLine();
    bool cancel =
        ImGui::Button("Cancel", ImVec2(100, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape));
    if (!chooser.error.empty()) ImGui::TextColored(ImVec4(1, 0.4f, 0.4f, 1), "%s", chooser.error.c_str());

    if (cancel)
        Finish(false, "");
    else if (confirm && ResolveChoice(chosen))
        Finish(true, chosen);
    ImGui::EndPopup();
}
