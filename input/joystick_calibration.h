// The joystick record (raw axes, buttons, per-axis calibration, device id), its file and axis normalisation.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int JoystickAxisCount = 6;   // X, Y, Z, R, U, V
constexpr int MaxJoystickDevices = 16; // ids 0..15

struct JoystickCalibration {
    int32_t maxRaw[JoystickAxisCount];
    int32_t centreRaw[JoystickAxisCount];
    int32_t buttons; // bit n = button n pressed
    int32_t minRaw[JoystickAxisCount];
    int32_t raw[JoystickAxisCount];
    int32_t joystickId;
};
static_assert(sizeof(JoystickCalibration) == 104);
static_assert(offsetof(JoystickCalibration, maxRaw) == 0);
static_assert(offsetof(JoystickCalibration, centreRaw) == 24);
static_assert(offsetof(JoystickCalibration, buttons) == 48);
static_assert(offsetof(JoystickCalibration, minRaw) == 52);
static_assert(offsetof(JoystickCalibration, raw) == 76);
static_assert(offsetof(JoystickCalibration, joystickId) == 100);
constexpr size_t CalibrationBlockSize = 100; // the 25 fields before joystickId
constexpr size_t CalibrationFileSize = 104;

extern JoystickCalibration Calibration;

// Program-start values: max 40000, centre 20000, min 0, raw and buttons 0, device 0.
void SetJoystickCalibrationDefaults(JoystickCalibration& cal);

// Loads JoystickCalibration.dat over the record: a missing file keeps it, a short file sets only the
// bytes it holds, and a file without the id selects device 0. Returns false when it cannot be opened.
bool LoadJoystickCalibration(JoystickCalibration& cal, const std::string& path);
// Writes the 104 bytes; returns false when the file cannot be written.
bool SaveJoystickCalibration(const JoystickCalibration& cal, const std::string& path);

// Calibrated axis value, about -1..+1 (not clamped); +1 when the span on that side is 0 or less.
// Axis indices outside 0..5 are clamped into that range.
float NormalizeAxis(int axis);

// Stores one poll result: the six raw axes and the button mask, or all zero when the read failed.
void StoreJoystickPoll(JoystickCalibration& cal, bool ok, const int32_t raw[JoystickAxisCount],
                       int32_t buttons);

// "Calibrate" dialog rules. Phase 0 ("Center Sticks") takes the centres on OK, phase 1 ("Move Sticks
// in circles") tracks the extents until the second OK closes the dialog.
struct CalibrationSession {
    int phase = 0;
    int bars[JoystickAxisCount] = {}; // -1000..+1000 in progress-bar units
};
// Discards the old calibration: max 0, min 65535, centre 32768, phase 0, bars 0.
void BeginCalibration(JoystickCalibration& cal, CalibrationSession& session);
// One 100 ms dialog tick: bars = (raw - centre) / 20; in phase 1 the extents grow to the raw values.
void CalibrationTick(JoystickCalibration& cal, CalibrationSession& session);
// OK pressed: in phase 0 takes the centres and moves to phase 1 (returns false, the dialog stays);
// in phase 1 returns true (the dialog closes).
bool CalibrationOk(JoystickCalibration& cal, CalibrationSession& session);
const char* CalibrationPrompt(const CalibrationSession& session);

// "Select Controller" rules: the devices present, by id, with their axis count and product name.
struct JoystickDeviceInfo {
    int32_t id;
    int32_t axes;
    std::string name;
};
// Examines at most the first 16 entries and keeps those with at least 4 axes, in order. Updates the
// dialog's globals ControllersExamined, ListedControllerIds and ListedControllerCount.
std::vector<JoystickDeviceInfo> ListSelectableControllers(const std::vector<JoystickDeviceInfo>& devices);
extern int32_t ControllersExamined;
extern int32_t ListedControllerIds[MaxJoystickDevices];
extern int32_t ListedControllerCount;
// A selection in the list: the device at that position becomes joystickId (from the next poll).
// A position outside the list changes nothing.
void SelectListedController(JoystickCalibration& cal, int position);
