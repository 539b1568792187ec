// Writes the pictures, the canopy mask and the helicopter meshes that ship with the program.
// Usage: rv_assetgen_pictures <data dir> <canopies dir> <ModelGeometries dir> <generated dir>
#include <cstdio>
#include <string>

#include "heli_models.h"
#include "pictures.h"

namespace {

bool Report(bool ok, const std::string& path) {
    if (!ok) std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <data dir> <canopies dir> <ModelGeometries dir> <generated dir>\n",
                     argv[0]);
        return 2;
    }
    const std::string data = argv[1], canopies = argv[2], geometries = argv[3], generated = argv[4];
    bool ok = true;
    ok &= Report(WriteJpeg(data + "/grass.jpg", MakeGrass(), 90), "grass.jpg");
    ok &= Report(WriteJpeg(data + "/pebbles.jpg", MakePebbles(), 90), "pebbles.jpg");
    ok &= Report(WriteJpeg(data + "/bricks.jpg", MakeBricks(), 90), "bricks.jpg");
    ok &= Report(WriteJpeg(data + "/doorwindow.jpg", MakeDoorWindow(), 90), "doorwindow.jpg");
    ok &= Report(WriteJpeg(data + "/backdrop.jpg", MakeBackdrop(4096, 1024), 88), "backdrop.jpg");

    const Canvas standard = MakeCanopy(CanopyStyle::RedFlames);
    ok &= Report(WriteJpeg(data + "/canopy.jpg", standard, 92), "canopy.jpg");
    ok &= Report(WriteJpeg(canopies + "/canopy.jpg", standard, 92), "canopies/canopy.jpg");
    ok &= Report(WriteJpeg(canopies + "/yellow_hornet.jpg", MakeCanopy(CanopyStyle::YellowHornet), 92),
                 "yellow_hornet.jpg");
    ok &= Report(WriteJpeg(canopies + "/blue_silver.jpg", MakeCanopy(CanopyStyle::BlueSilver), 92),
                 "blue_silver.jpg");
    ok &= Report(WriteJpeg(canopies + "/black_carbon.jpg", MakeCanopy(CanopyStyle::BlackCarbon), 92),
                 "black_carbon.jpg");
    ok &= Report(WriteJpeg(canopies + "/green_orange.jpg", MakeCanopy(CanopyStyle::GreenOrange), 92),
                 "green_orange.jpg");
    ok &= Report(WritePcxMono(data + "/canmask.pcx", 460, 176, MakeCanopyMask(460, 176)), "canmask.pcx");

    ok &= Report(WriteText(generated + "/stock450.x", BuildStock450Text()), "stock450.x");
    ok &= Report(WriteJpeg(generated + "/stock_skin.jpg", MakeStockSkin(standard), 92), "stock_skin.jpg");
    ok &= Report(WriteBmp24(generated + "/icon.bmp", MakeIcon(32)), "icon.bmp");
    ok &= Report(WriteText(geometries + "/bell206.x", BuildBell206Text()), "bell206.x");
    ok &= Report(WriteBmp24(geometries + "/bell206.bmp", MakeBellSkin()), "bell206.bmp");
    return ok ? 0 : 1;
}
