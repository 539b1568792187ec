// Draws the main menu bar from the menu table.
#pragma once

// Draws the bar; a chosen item runs HandleMenuCommand after the menu is closed. Returns the bar's
// height in pixels, which the client area below it starts from.
int DrawMainMenuBar();
