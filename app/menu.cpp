// The menu table, its check marks and HandleMenuCommand.
#include "app/menu.h"

#include <algorithm>
#include <vector>

#include "app/flight_model_choice.h"
#include "app/menu_actions.h"
#include "app/realistic_settings_dialog.h"
#include "app/pilot_aids.h"
#include "app/shared_flags.h"
#include "app/user_prefs.h"
#include "flight/heli_state.h"
#include "flight/heli_step.h"
#include "flight/sim_control.h"
#include "flight/trail.h"
#include "platform/window.h"
#include "render/motion_smoothing.h"

const MenuEntry MainMenu[] = {
    {"Simulation", nullptr, "Pause \t (P)", CmdPause},
    {"Simulation", nullptr, "Reset \t (Space Bar)", CmdReset},
    {"Simulation", nullptr, "Auto Reset", CmdAutoReset},
    {"Simulation", nullptr, nullptr, 0},
    {"Simulation", nullptr, "Wind / Turbulence", CmdWind},
    {"Simulation", "Speed", "1/4 speed", CmdSpeedQuarter},
    {"Simulation", "Speed", "1/2 speed", CmdSpeedHalf},
    {"Simulation", "Speed", "3/4 speed", CmdSpeedThreeQuarter},
    {"Simulation", "Speed", "1X  (normal)", CmdSpeedNormal},
    {"Simulation", "Speed", "1.2 speed", CmdSpeed12},
    {"Simulation", "Speed", "1.5 speed", CmdSpeed15},
    {"Simulation", "Speed", "2.0 speed", CmdSpeed20},
    {"Simulation", "Trails", "None", CmdTrailsNone},
    {"Simulation", "Trails", "3 second", CmdTrails3s},
    {"Simulation", "Trails", "10 second", CmdTrails10s},
    {"Simulation", "Trails", "30 second", CmdTrails30s},
    {"Simulation", "Trails", "1 minute", CmdTrails1m},
    {"Simulation", "Trails", "2 minute", CmdTrails2m},
    {"Simulation", "Trails", "5 minute", CmdTrails5m},
    {"Simulation", "Trails", nullptr, 0},
    {"Simulation", "Trails", "Dotted", CmdTrailsDotted},
    {"Simulation", "Training Modes", "Lock XYZ position", CmdLockXYZ},
    {"Simulation", "Training Modes", "Lock XY position", CmdLockXY},
    {"Simulation", "Training Modes", "Random Attitudes", CmdRandomAttitudes},
    {"Simulation", "Training Modes", "Hover trainer", CmdHoverTrainer},
    {"Simulation", "Training Modes", "Training history", CmdTrainingHistory},
    {"Simulation", "Log", "View session times", CmdViewSessionTimes},
    {"Simulation", "Log", "Append session to log", CmdAppendSession},
    {"Simulation", "Log", "View log", CmdViewLog},
    {"Simulation", "Log", "Reset Session", CmdResetSession},
    {"Simulation", "Log", "Reset Entire Log", CmdResetEntireLog},
    {"Simulation", nullptr, nullptr, 0},
    {"Simulation", nullptr, "Exit", CmdExit},
    {"Graphics", nullptr, "Stock 450 Geometry", CmdStockGeometry},
    {"Graphics", nullptr, "450 Canopy Graphics", CmdCanopyGraphics},
    {"Graphics", nullptr, "Load Heli Geometry", CmdLoadHeliGeometry},
    {"Graphics", nullptr, nullptr, 0},
    {"Graphics", nullptr, "Scale 450 Size", CmdScale450},
    {"Graphics", nullptr, "Large", CmdScaleLarge},
    {"Graphics", nullptr, "Jumbo", CmdScaleJumbo},
    {"Graphics", nullptr, nullptr, 0},
    {"Graphics", "Background Resolution", "High", CmdBackgroundHigh},
    {"Graphics", "Background Resolution", "Medium", CmdBackgroundMedium},
    {"Graphics", "Background Resolution", "Low", CmdBackgroundLow},
    {"Graphics", nullptr, "Show School Building", CmdShowSchool},
    {"Model", nullptr, "Load Model Setup", CmdLoadModelSetup},
    {"Model", nullptr, "Save Model Setup", CmdSaveModelSetup},
    {"Model", nullptr, nullptr, 0},
    {"Model", nullptr, "Exponential Rates", CmdExpoRates},
    {"Model", nullptr, "Gyro settings", CmdGyroSettings},
    {"Model", nullptr, "Normal Pitch Curve", CmdNormalPitchCurve},
    {"Model", nullptr, "Normal Throttle Curve", CmdNormalThrottleCurve},
    {"Model", nullptr, "IdleUp Pitch Curve", CmdIdleUpPitchCurve},
    {"Model", nullptr, "IdleUp Throttle Curve", CmdIdleUpThrottleCurve},
    {"Model", nullptr, "Model Parameters", CmdModelParameters},
    {"Model", nullptr, "Swash Imperfections", CmdSwashImperfections},
    {"Model", nullptr, nullptr, 0},
    {"Model", "Flight Model", "Classic", CmdClassicModel},
    {"Model", nullptr, "Realistic Helicopter Settings", CmdRealisticSettings},
    {"View", nullptr, "Instruments", CmdInstruments},
    {"View", nullptr, "Record/Play Bar\t(R)", CmdRecordPlayBar},
    {"View", nullptr, "Lower Camera Angle", CmdLowerCamera},
    {"View", nullptr, "Smooth camera follow", CmdSmoothCamera},
    {"View", nullptr, "Smooth motion", CmdSmoothMotion},
    {"View", nullptr, "Full screen\tF11", CmdFullScreen},
    {"View", nullptr, "Auto zoom\t+ - 0", CmdAutoZoom},
    {"View", "Instrument size", "Small", CmdInstrumentsSmall},
    {"View", "Instrument size", "Medium", CmdInstrumentsMedium},
    {"View", "Instrument size", "Large", CmdInstrumentsLarge},
    {"Sound", nullptr, "Motor", CmdMotorSound},
    {"Sound", nullptr, "Crash", CmdCrashSound},
    {"Sound", nullptr, "Volume", CmdVolume},
    {"Joystick", nullptr, "Controller Select", CmdControllerSelect},
    {"Joystick", nullptr, "Calibrate", CmdCalibrate},
    {"Joystick", nullptr, "Mapping", CmdMapping},
    {"Joystick", nullptr, "Reset,Pause", CmdResetPauseSwitches},
    {"Joystick", nullptr, "Transmitter check", CmdTransmitterCheck},
    {"Help", nullptr, "Index", CmdHelpIndex},
    {"Help", nullptr, "About", CmdAbout},
};
const int MainMenuCount = sizeof(MainMenu) / sizeof(MainMenu[0]);

namespace {
const int SpeedIds[7] = {CmdSpeedQuarter, CmdSpeedHalf, CmdSpeedThreeQuarter, CmdSpeedNormal,
                         CmdSpeed12, CmdSpeed15, CmdSpeed20};

struct TrailChoice {
    int id;
    uint32_t capacity;
};
const TrailChoice TrailChoices[6] = {{CmdTrails3s, 60},   {CmdTrails10s, 200},  {CmdTrails30s, 600},
                                     {CmdTrails1m, 1200}, {CmdTrails2m, 2400}, {CmdTrails5m, 6000}};

// A new trail length: the newest points (as many as the new length holds) move to the start of the ring
// in order, so no point older than the new length stays drawn. The caller holds SimMutex.
void LockedResizeTrail(uint32_t capacity) {
    const uint32_t ring = static_cast<uint32_t>(TrailRingSize);
    const uint32_t used = std::min({trailCount, TrailCapacity, ring});
    const uint32_t head = std::min(trailHead, used);
    std::vector<Vec3> ordered;
    ordered.reserve(used);
    ordered.insert(ordered.end(), trailRing + head, trailRing + used); // oldest first
    ordered.insert(ordered.end(), trailRing, trailRing + head);
    const uint32_t keep = std::min({used, capacity, ring});
    std::copy(ordered.end() - keep, ordered.end(), trailRing);
    TrailCapacity = capacity;
    trailCount = keep;
    trailHead = keep >= capacity ? 0 : keep;
}

void ChooseTrails(bool on, uint32_t capacity) {
    std::lock_guard<std::mutex> lock(SimMutex);
    trailsOn = on;
    if (on && capacity != TrailCapacity) LockedResizeTrail(capacity);
}

void SetFlightStateCommand(int32_t state) {
    std::lock_guard<std::mutex> lock(SimMutex);
    FlightState = state;
}
} // namespace

int ScaleMenuChoice(float scale) {
    if (scale > 1.6f) return CmdScaleJumbo;
    if (scale > 1.1f) return CmdScaleLarge;
    return CmdScale450;
}

bool MenuItemChecked(int id) {
    bool aid = false;
    if (PilotAidItemChecked(id, aid)) return aid;
    for (int i = 0; i < 7; ++i)
        if (SpeedIds[i] == id) return SimSpeed == i || (i == 6 && (SimSpeed < 0 || SimSpeed > 6));
    for (const TrailChoice& t : TrailChoices)
        if (t.id == id) return trailsOn && TrailCapacity == t.capacity;
    switch (id) {
    case CmdTrailsNone: return !trailsOn;
    case CmdClassicModel: return !ActiveFlightModel.realistic;
    case CmdTrailsDotted: return trailsDotted;
    case CmdScale450:
    case CmdScaleLarge:
    case CmdScaleJumbo: return ScaleMenuChoice(heliScale) == id;
    case CmdBackgroundHigh: return backgroundResolution >= 3;
    case CmdBackgroundMedium: return backgroundResolution == 2;
    case CmdBackgroundLow: return backgroundResolution == 1;
    case CmdAutoReset: return autoReset;
    case CmdShowSchool: return showSchoolBuilding;
    case CmdLowerCamera: return lowerCameraAngle;
    case CmdSmoothCamera: return smoothCameraFollow;
    case CmdSmoothMotion: return SmoothMotion;
    case CmdFullScreen: return IsFullScreen();
    case CmdMotorSound: return MotorSoundEnabled;
    case CmdCrashSound: return CrashSoundEnabled;
    default: return false;
    }
}

void PauseCommand() {
    std::lock_guard<std::mutex> lock(SimMutex);
    if (FlightState == FlightCrashed || FlightState == FlightCrashShown) {
        ResetHelicopter();
        SimPaused = PauseHeld;
    } else {
        SlowMotionPlayback = false;
        SimPaused = !SimPaused || PauseHeld;
    }
}

void ResetCommand() {
    std::lock_guard<std::mutex> lock(SimMutex);
    ResetHelicopter();
    SimPaused = PauseHeld;
    SlowMotionPlayback = false;
}

void HandleMenuCommand(int id) {
    if (id < 40001 || id > 40099) return;
    if (RunPilotAidCommand(id)) return;
    for (int i = 0; i < 7; ++i)
        if (SpeedIds[i] == id) {
            std::lock_guard<std::mutex> lock(SimMutex);
            SimSpeed = i;
            return;
        }
    for (const TrailChoice& t : TrailChoices)
        if (t.id == id) return ChooseTrails(true, t.capacity);
    switch (id) {
    case CmdPause: PauseCommand(); break;
    case CmdReset: ResetCommand(); break;
    case CmdAutoReset: autoReset = !autoReset; break;
    case CmdTrailsNone: ChooseTrails(false, 0); break;
    case CmdTrailsDotted: trailsDotted = !trailsDotted; break;
    case CmdLockXYZ: SetFlightStateCommand(FlightLockXYZ); break;
    case CmdLockXY: SetFlightStateCommand(FlightLockXY); break;
    case CmdExit: QuitRequested = true; break;
    case CmdShowSchool: {
        std::lock_guard<std::mutex> lock(SimMutex);
        showSchoolBuilding = !showSchoolBuilding;
        break;
    }
    case CmdInstruments: showInstruments = !showInstruments; break;
    case CmdLowerCamera: lowerCameraAngle = !lowerCameraAngle; break;
    case CmdSmoothCamera: smoothCameraFollow = !smoothCameraFollow; break;
    case CmdSmoothMotion: SmoothMotion = !SmoothMotion; break;
    case CmdFullScreen: ToggleFullScreen(); break;
    case CmdLoadModelSetup: LoadModelSetupCommand(); break;
    case CmdSaveModelSetup: SaveModelSetupCommand(); break;
    case CmdClassicModel: ChooseFlightModelCommand(ClassicModelName); break;
    case CmdRealisticSettings: ShowRealisticSettingsDialog(); break;
    default: RunSubsystemCommand(id); break;
    }
}
