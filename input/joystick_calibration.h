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

// Stores one poll result: the six raw axes, the button mask and the hat bits, or all zero when the
// read failed.
void StoreJoystickPoll(JoystickCalibration& cal, bool ok, const int32_t raw[JoystickAxisCount],
                       int32_t buttons, int32_t hats = 0);

// Calibration that needs no dialog: centre 32768, extents 0 and 65535, the whole travel of an SDL axis
// (raw = SDL value + 32768). Used when no calibration file exists, so centred sticks read 0.
void SetFullTravelCalibration(JoystickCalibration& cal);

// "Calibrate" dialog rules. Phase 0 ("Center Sticks") takes the centres on OK, phase 1 ("Move Sticks
// in circles") tracks the extents until OK; an axis moved less than a quarter of its travel then leads
// to phase 2, where the pilot goes on (that axis keeps its old calibration) or redoes the movement.
// Cancel restores the calibration in effect when the dialog opened.
constexpr int CalibrationCentrePhase = 0;
constexpr int CalibrationExtentPhase = 1;
constexpr int CalibrationWarningPhase = 2;
constexpr int32_t CalibrationMinimumMove = 65536 / 4;
struct CalibrationSession {
    int phase = CalibrationCentrePhase;
    int bars[JoystickAxisCount] = {};  // -1000..+1000 over the whole travel
    int axisCount = JoystickAxisCount; // axes the device has; missing axes are not checked
    bool unmoved[JoystickAxisCount] = {};
    // The calibration before the dialog opened.
    int32_t oldMax[JoystickAxisCount] = {};
    int32_t oldCentre[JoystickAxisCount] = {};
    int32_t oldMin[JoystickAxisCount] = {};
};
// Keeps the old calibration in the session, then discards it: max 0, min 65535, centre 32768, phase 0,
// bars 0.
void BeginCalibration(JoystickCalibration& cal, CalibrationSession& session);
// One 100 ms dialog tick: bars = (raw - centre) x 1000 / 32768 clamped to +-1000, so a full stroke
// from centre fills its half; in phase 1 the extents grow to the raw values.
void CalibrationTick(JoystickCalibration& cal, CalibrationSession& session);
// OK pressed: in phase 0 takes the centres and moves to phase 1 (returns false, the dialog stays);
// in phase 1 returns true (the dialog closes) unless an axis was barely moved: then phase 2 (false).
bool CalibrationOk(JoystickCalibration& cal, CalibrationSession& session);
// Phase 2: the barely moved axes get their old calibration back; the dialog closes.
void CalibrationGoOn(JoystickCalibration& cal, CalibrationSession& session);
// Phase 2: back to phase 1 with the barely moved axes' extents cleared.
void CalibrationRedo(JoystickCalibration& cal, CalibrationSession& session);
// Cancel or Esc in any phase: the old calibration comes back whole.
void CancelCalibration(JoystickCalibration& cal, const CalibrationSession& session);
const char* CalibrationPrompt(const CalibrationSession& session);
// The warning of phase 2, naming the barely moved axes, e.g. "Axis Z and Axis U moved less than ...".
std::string CalibrationWarning(const CalibrationSession& session);
extern const char* const AxisNames[JoystickAxisCount]; // "X", "Y", "Z", "R", "U", "V"

// "Select Controller" rules: the devices present, by id, with their axis count, product name and
// SDL GUID (as text).
struct JoystickDeviceInfo {
    int32_t id;
    int32_t axes;
    std::string name;
    std::string guid;
};
// Examines at most the first 16 entries and keeps those with at least 4 axes, in order. Remembers the
// listed ids for SelectListedController.
std::vector<JoystickDeviceInfo> ListSelectableControllers(const std::vector<JoystickDeviceInfo>& devices);
// A selection in the list: the device at that position becomes joystickId (from the next poll).
// A position outside the list changes nothing.
void SelectListedController(JoystickCalibration& cal, int position);

// The transmitter the pilot chose, remembered by identity rather than by its place in SDL's list:
// GUID, product name, and which one of several identical devices (0 = the first by id).
struct TransmitterIdentity {
    std::string guid;
    std::string name;
    int index = 0;
};
// Position of the device with this id among the devices of the same GUID and name (0 for the first).
int IdenticalDeviceIndex(const std::vector<JoystickDeviceInfo>& devices, int32_t id);
// The id of the device matching the identity: the index-th of its identical devices, else the first of
// them; -1 when none is present or the identity is empty.
int32_t FindTransmitter(const std::vector<JoystickDeviceInfo>& devices, const TransmitterIdentity& who);
// The list texts of "Controller Select": the product name, "#2", "#3"... after the second and later of
// identical devices, and " (in use)" after the device inUseId.
std::vector<std::string> ControllerListTexts(const std::vector<JoystickDeviceInfo>& listed, int32_t inUseId);
