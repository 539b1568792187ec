// The test-only dump of each ImGui frame (windows, the text they drew, named icon items).
#pragma once

// With RV_UI_DUMP set to a file name, replaces that file with the frame just built: its number, the style
// sizes, the rectangle and name of each ImGui window drawn, the text each of them (and the foreground
// layer) drew with its rectangle, and the items named through io.UserData. Call before ImGui::Render();
// does nothing when the variable is unset.
void DumpUiFrame();
