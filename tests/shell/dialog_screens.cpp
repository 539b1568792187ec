// Opens each settings dialog in the real window and saves a screenshot of it (PPM files in a folder given
// on the command line, /tmp by default), so the layouts can be looked at. Run under xvfb-run.
#include <GL/gl.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <cstdio>
#include <string>
#include <vector>

#include "app/model_setup.h"
#include "app/settings_dialogs.h"
#include "flight/training.h"
#include "flight/wind.h"
#include "log/flight_log.h"
#include "platform/window.h"

namespace {

int width = 1000;
int height = 700;

void Frame(bool closeAll = false) {
    PumpEvents(PlatformEvents{});
    BeginUiFrame();
    if (closeAll && !ImGui::GetCurrentContext()->OpenPopupStack.empty()) ImGui::ClosePopupToLevel(0, false);
    DrawSettingsDialogs();
    glClearColor(0.45f, 0.62f, 0.80f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    EndUiFrame();
}

void Save(const std::string& path) {
    int w, h;
    GetWindowPixelSize(w, h);
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int y = h - 1; y >= 0; --y)
        std::fwrite(&pixels[static_cast<size_t>(y) * w * 3], 1, static_cast<size_t>(w) * 3, f);
    std::fclose(f);
}

template <typename Show> void Shoot(const std::string& folder, const char* name, Show show) {
    show();
    for (int i = 0; i < 6; ++i) {
        Frame();
        if (i < 5) SwapMainWindow();
    }
    Save(folder + "/shell_" + name + ".ppm");
    SwapMainWindow();
    Frame(true);
    SwapMainWindow();
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    if (!CreateMainWindow(width, height)) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    FlightTimeTotals[ClassTotal] = 3725.5f;
    FlightTimeTotals[ClassOnGround] = 600.0f;
    FlightTimeTotals[ClassHovering] = 2400.0f;
    FlightTimeTotals[ClassForwardFlight] = 725.5f;
    Model.gyroMode = 2;
    Model.expoRoll = 12;
    Shoot(folder, "helicopter_settings", [] { ShowHelicopterSettingsDialog(Model); });
    Shoot(folder, "swash", [] { ShowSwashImperfectionsDialog(Swash); });
    Shoot(folder, "curve", [] { ShowCurveEditorDialog(Model.idleUpThrottleCurve, "Idle Up Throttle"); });
    Shoot(folder, "expo", [] { ShowExponentialRatesDialog(Model); });
    Shoot(folder, "gyro", [] { ShowGyroSettingsDialog(Model); });
    Shoot(folder, "wind", [] { ShowWindSettingsDialog(Wind, Turbulence); });
    Shoot(folder, "random_attitude", [] { ShowRandomAttitudeDialog(RandomAttitude); });
    Shoot(folder, "about", [] { ShowAboutDialog(); });
    Shoot(folder, "time_log", [] { ShowTimeLogDialog(); });
    DestroyMainWindow();
    return 0;
}
