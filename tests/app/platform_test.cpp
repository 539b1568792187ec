// The platform layer: which key presses count as shortcuts while dialogs are open, and the file chooser
// with names that are not UTF-8 or that look like ImGui markup (shown safely, drawn without assertions).
#include <gtest/gtest.h>

#include <SDL.h>
#include <filesystem>
#include <fstream>
#include <imgui.h>
#include <unistd.h>

#include "platform/file_chooser.h"
#include "platform/key_latch.h"

TEST(ShortcutKeys, SwitchKeysCountInModalDialogsButNeverInTextBoxes) {
    const struct {
        int key;
        bool inModal; // counts while a modal dialog without a focused text box is open
    } keys[] = {{SDLK_i, true},      {SDLK_h, true},  {SDLK_LCTRL, true}, {SDLK_RCTRL, true},
                {SDLK_SPACE, false}, {SDLK_p, false}, {SDLK_r, false},    {SDLK_x, false}};
    for (const auto& k : keys) {
        EXPECT_TRUE(KeyCountsAsShortcut(k.key, false, false)) << k.key;
        EXPECT_EQ(KeyCountsAsShortcut(k.key, false, true), k.inModal) << k.key;
        EXPECT_FALSE(KeyCountsAsShortcut(k.key, true, true)) << k.key;
        EXPECT_FALSE(KeyCountsAsShortcut(k.key, true, false)) << k.key;
    }
}

TEST(FileChooser, NamesShownAsValidUtf8) {
    const struct {
        std::string raw, shown;
    } cases[] = {
        {"h\xC3\xA9li.rec", "h\xC3\xA9li.rec"},       // é, two bytes
        {"\xE2\x82\xAC.par", "\xE2\x82\xAC.par"},     // €, three bytes
        {"\xF0\x9F\x9A\x81.x", "\xF0\x9F\x9A\x81.x"}, // helicopter, four bytes
        {"Latin1 h\xE9li.rec", "Latin1 h?li.rec"},    // a lone lead byte
        {"\xFF\xFE.rec", "??.rec"},                   // never in UTF-8
        {"cut\xE2\x82", "cut??"},                     // sequence cut at the end
        {"\xC0\xAF.rec", "??.rec"},                   // overlong '/'
        {"\xED\xA0\x80.rec", "???.rec"},              // a surrogate
        {"\xF4\x90\x80\x80.rec", "????.rec"},         // past U+10FFFF
        {"tab\there\x7F.rec", "tab?here?.rec"},       // control characters
        {"\x80\xBF", "??"},                           // continuation bytes alone
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShowableFileName(c.raw), c.shown) << c.raw;
}

TEST(FileChooser, HostileFolderDrawsAndOpensTheFileUnderItsRealName) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("rv_chooser_" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub\xFF");
    for (const char* name : {"\xFF\xFE.rec", "a##b.rec", "###.rec", "%s%n%d.rec", "\xC3.rec", "ok.rec"})
        std::ofstream(dir / name) << "x";
    std::ofstream(dir / (std::string(250, 'n') + ".rec")) << "x";

    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(1024, 768);
    io.KeyMap[ImGuiKey_Enter] = 13;
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    std::string chosen;
    OpenFileChooser(ChooserInFolder("Load Recording", "Recordings (*.rec)", "*.rec", dir.string(),
                                    "\xFF\xFE.rec", true, false),
                    [&](const std::string& path) { chosen = path; });
    for (int frame = 0; frame < 6 && chosen.empty(); ++frame) {
        io.DeltaTime = 1.0f / 60.0f;
        io.KeysDown[13] = frame == 4;
        ImGui::NewFrame();
        DrawFileChooser();
        ImGui::Render();
    }
    ImGui::DestroyContext();
    // The pre-filled name that is not UTF-8 still opens the file under its real name.
    EXPECT_EQ(chosen, (dir / "\xFF\xFE.rec").string());
    fs::remove_all(dir);
}
