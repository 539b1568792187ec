// The typeface of the menus, dialogs and overlay texts: a TrueType file loaded through ImGui's font
// loader, or ImGui's built-in bitmap font when none is chosen or the file cannot be used.
#pragma once
#include <string>

// The file to load (empty: the built-in font). Set before CreateMainWindow.
void SetUiTypefaceFile(const std::string& path);

// Adds the chosen typeface at 13 x scale pixels (a little larger for a TrueType face, which draws smaller
// than the bitmap font at the same size) to ImGui's font atlas, or the built-in font when the file is
// missing, larger than 64 MiB or no font stb_truetype can read. Needs the ImGui context.
void AddUiFont(int scale);

// True when the TrueType file was loaded; false when the built-in font stands in.
bool UiTypefaceLoaded();

// Whether bytes hold a font the loader accepts (checked before ImGui sees them: ImGui stops the program
// on a font it cannot read).
bool UsableTrueTypeFont(const unsigned char* bytes, size_t size);
