// The test-only dump of each ImGui frame: windows, the text read back from their vertices, named items.
#include "platform/ui_dump.h"

#include <imgui.h>
#include <imgui_internal.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {
// Lent to io.UserData while the dump is on: widgets that show no text (icon buttons) append
// "item x y w h name" lines to it.
ImGuiTextBuffer itemLines;

using GlyphTable = std::unordered_map<uint64_t, std::pair<const ImFont*, const ImFontGlyph*>>;

uint64_t TextureCorner(float u, float v) {
    uint32_t a, b;
    std::memcpy(&a, &u, sizeof a);
    std::memcpy(&b, &v, sizeof b);
    return (static_cast<uint64_t>(a) << 32) | b;
}

// Every visible glyph of the loaded fonts by the top-left corner of its picture in the font atlas.
GlyphTable GlyphsByCorner() {
    GlyphTable glyphs;
    for (const ImFont* font : ImGui::GetIO().Fonts->Fonts)
        for (const ImFontGlyph& g : font->Glyphs)
            if (g.Visible) glyphs.emplace(TextureCorner(g.U0, g.V0), std::make_pair(font, &g));
    return glyphs;
}

// A piece of a text between gaps of two spaces or more: its left and right edge and its characters.
struct TextPiece {
    float x, right;
    size_t begin, end;
};

struct TextRun {
    float y, height;
    ImU32 colour;
    std::string text;
    std::vector<TextPiece> pieces;
};

// Writes the text a draw list holds, read back from its vertices: ImGui draws each glyph as four vertices
// that carry the corners of the glyph's picture in the atlas. Glyphs of one colour on one line that follow
// each other at their advance, or a few spaces further (a space draws nothing), with nothing else drawn
// between them, form one text: "text x y w h characters". Texts side by side can be read as one that way,
// so a text with wider gaps is also written in its pieces between them, as "part" lines.
void WriteTexts(std::FILE* file, const ImDrawList* list, const GlyphTable& glyphs) {
    const ImVector<ImDrawVert>& v = list->VtxBuffer;
    TextRun run{};
    auto write = [&](const char* kind, const TextPiece& p) {
        std::fprintf(file, "%s %.0f %.0f %.0f %.0f %s\n", kind, p.x, run.y, p.right - p.x, run.height,
                     run.text.substr(p.begin, p.end - p.begin).c_str());
    };
    auto finish = [&] {
        if (run.pieces.empty()) return;
        write("text", TextPiece{run.pieces.front().x, run.pieces.back().right, 0, run.text.size()});
        for (size_t k = 0; run.pieces.size() > 1 && k < run.pieces.size(); ++k)
            write("part", run.pieces[k]);
        run.pieces.clear();
    };
    for (int i = 0; i + 3 < v.Size;) {
        const auto found = glyphs.find(TextureCorner(v[i].uv.x, v[i].uv.y));
        const ImFontGlyph* g = found == glyphs.end() ? nullptr : found->second.second;
        if (!g || v[i + 1].uv.x != g->U1 || v[i + 2].uv.y != g->V1 || v[i + 3].uv.x != g->U0 ||
            g->Y1 <= g->Y0) {
            finish();
            ++i;
            continue;
        }
        const ImFont* font = found->second.first;
        const float scale = (v[i + 2].pos.y - v[i].pos.y) / (g->Y1 - g->Y0);
        const float penX = v[i].pos.x - g->X0 * scale;
        const float top = v[i].pos.y - g->Y0 * scale;
        const float space = font->FindGlyph(' ')->AdvanceX * scale;
        const float gap = run.pieces.empty() ? -1.0f : penX - run.pieces.back().right;
        const long spaces = space > 0.0f ? std::lround(gap / space) : -1;
        const bool joins = !run.pieces.empty() && v[i].col == run.colour && std::fabs(top - run.y) < 0.5f &&
                           spaces >= 0 && spaces <= 8 &&
                           std::fabs(gap - static_cast<float>(spaces) * space) < 0.05f;
        if (!joins) {
            finish();
            run = TextRun{top, font->FontSize * scale, v[i].col, std::string(), {}};
        }
        run.text.append(joins ? static_cast<size_t>(spaces) : 0, ' ');
        if (!joins || spaces >= 2) run.pieces.push_back(TextPiece{penX, penX, run.text.size(), 0});
        char utf8[5];
        run.text += ImTextCharToUtf8(utf8, g->Codepoint);
        run.pieces.back().right = penX + g->AdvanceX * scale;
        run.pieces.back().end = run.text.size();
        i += 4;
    }
    finish();
}
} // namespace

void DumpUiFrame() {
    static const char* path = std::getenv("RV_UI_DUMP");
    if (!path || !*path) return;
    ImGuiIO& io = ImGui::GetIO();
    io.UserData = &itemLines;
    static const std::string temporary = std::string(path) + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (!file) return;
    const ImGuiContext& g = *ImGui::GetCurrentContext();
    const ImGuiStyle& style = g.Style;
    std::fprintf(file, "frame %d\nstyle %.1f %.1f %.1f %.1f %.1f\nfocus %s\n", g.FrameCount, g.FontSize,
                 style.WindowPadding.x, style.WindowPadding.y, style.ItemSpacing.x, style.ItemSpacing.y,
                 g.NavWindow ? g.NavWindow->Name : "");
    const GlyphTable glyphs = GlyphsByCorner();
    for (const ImGuiWindow* w : g.Windows) {
        if (!w->Active || w->Hidden) continue;
        std::fprintf(file, "window %.0f %.0f %.0f %.0f %s\n", w->Pos.x, w->Pos.y, w->Size.x, w->Size.y,
                     w->Name);
        WriteTexts(file, w->DrawList, glyphs);
    }
    // Hints and reports drawn over the field belong to no window.
    std::fprintf(file, "window 0 0 %.0f %.0f ##Foreground\n", io.DisplaySize.x, io.DisplaySize.y);
    WriteTexts(file, ImGui::GetForegroundDrawList(), glyphs);
    std::fputs(itemLines.c_str(), file);
    itemLines.clear();
    std::fclose(file);
    std::rename(temporary.c_str(), path);
}
