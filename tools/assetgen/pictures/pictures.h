// The pictures the program ships: scenery textures, the panorama, canopies, skins, mask and icon.
#pragma once
#include <cstdint>
#include <vector>

#include "gen_common.h"

Canvas MakeGrass();
Canvas MakePebbles();
Canvas MakeBricks();
Canvas MakeDoorWindow();
Canvas MakeBackdrop(int width, int height);

// Canopy designs (at least 460 x 176; the canopy's main colour fills the background, so the pixel at
// row 1, column 270 holds it).
enum class CanopyStyle { RedFlames, YellowHornet, BlueSilver, BlackCarbon, GreenOrange };
Canvas MakeCanopy(CanopyStyle style);

// 460 x 176: 1 (white) outside the canopy, 0 (black) where the canopy goes.
std::vector<uint8_t> MakeCanopyMask(int width, int height);

Canvas MakeStockSkin(const Canvas& canopy);
Canvas MakeBellSkin();
Canvas MakeIcon(int size);
