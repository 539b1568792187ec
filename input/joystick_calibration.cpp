// The joystick record, its file, axis normalisation and the calibration and device-selection rules.
#include "assets/safe_file.h"
#include "input/joystick_calibration.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "input/joystick_calibration_internal.h"
#include "input/shared_field.h"

JoystickCalibration Calibration = [] {
    JoystickCalibration cal{};
    SetJoystickCalibrationDefaults(cal);
    return cal;
}();

namespace {
// The devices the last ListSelectableControllers looked at, and the ids it listed for the selection.
int32_t ControllersExamined = 0;
int32_t ListedControllerIds[MaxJoystickDevices] = {};
int32_t ListedControllerCount = 0;
} // namespace

void SetJoystickCalibrationDefaults(JoystickCalibration& cal) {
    for (int i = 0; i < JoystickAxisCount; ++i) {
        cal.maxRaw[i] = 40000;
        cal.centreRaw[i] = 20000;
        cal.minRaw[i] = 0;
        cal.raw[i] = 0;
    }
    cal.buttons = 0;
    cal.joystickId = 0;
}

bool LoadJoystickCalibration(JoystickCalibration& cal, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char bytes[CalibrationFileSize];
    size_t got = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    std::memcpy(&cal, bytes, std::min(got, CalibrationBlockSize));
    cal.joystickId = 0;
    if (got > CalibrationBlockSize)
        std::memcpy(&cal.joystickId, bytes + CalibrationBlockSize, got - CalibrationBlockSize);
    return true;
}

bool SaveJoystickCalibration(const JoystickCalibration& cal, const std::string& path) {
    JoystickCalibration copy;
    std::memcpy(&copy, &cal, sizeof copy);
    for (int i = 0; i < JoystickAxisCount; ++i)
        copy.raw[i] = LoadShared(cal.raw[i]);
    copy.buttons = LoadShared(cal.buttons);
    return WriteFileAtomically(path, &copy, CalibrationFileSize);
}

float NormalizeAxis(int axis) {
    axis = std::clamp(axis, 0, JoystickAxisCount - 1);
    // 64-bit arithmetic: the fields come from a file and may hold any 32-bit values.
    int64_t raw = LoadShared(Calibration.raw[axis]);
    int64_t centre = LoadShared(Calibration.centreRaw[axis]);
    int64_t d = raw - centre;
    int64_t span = d >= 0 ? LoadShared(Calibration.maxRaw[axis]) - centre
                          : centre - LoadShared(Calibration.minRaw[axis]);
    if (span <= 0) return 1.0f;
    return static_cast<float>(d) / static_cast<float>(span);
}

int32_t JoystickHats = 0;

void StoreJoystickPoll(JoystickCalibration& cal, bool ok, const int32_t raw[JoystickAxisCount],
                       int32_t buttons, int32_t hats) {
    StoreShared(JoystickHats, ok ? hats : 0);
    for (int i = 0; i < JoystickAxisCount; ++i)
        StoreShared(cal.raw[i], ok ? raw[i] : 0);
    StoreShared(cal.buttons, ok ? buttons : 0);
}

void SetFullTravelCalibration(JoystickCalibration& cal) {
    for (int i = 0; i < JoystickAxisCount; ++i) {
        StoreShared(cal.maxRaw[i], 65535);
        StoreShared(cal.centreRaw[i], 32768);
        StoreShared(cal.minRaw[i], 0);
    }
}

const char* const AxisNames[JoystickAxisCount] = {"X", "Y", "Z", "R", "U", "V"};

void BeginCalibration(JoystickCalibration& cal, CalibrationSession& session) {
    for (int i = 0; i < JoystickAxisCount; ++i) {
        session.oldMax[i] = LoadShared(cal.maxRaw[i]);
        session.oldCentre[i] = LoadShared(cal.centreRaw[i]);
        session.oldMin[i] = LoadShared(cal.minRaw[i]);
        StoreShared(cal.maxRaw[i], 0);
        StoreShared(cal.minRaw[i], 65535);
        StoreShared(cal.centreRaw[i], 32768);
        session.bars[i] = 0;
        session.unmoved[i] = false;
    }
    session.phase = CalibrationCentrePhase;
}

void CalibrationTick(JoystickCalibration& cal, CalibrationSession& session) {
    for (int i = 0; i < JoystickAxisCount; ++i) {
        int32_t raw = LoadShared(cal.raw[i]);
        int64_t d = static_cast<int64_t>(raw) - cal.centreRaw[i];
        session.bars[i] = static_cast<int>(std::clamp<int64_t>(d * 1000 / 32768, -1000, 1000));
        if (session.phase == CalibrationExtentPhase) {
            if (raw > cal.maxRaw[i]) StoreShared(cal.maxRaw[i], raw);
            if (raw < cal.minRaw[i]) StoreShared(cal.minRaw[i], raw);
        }
    }
}

bool CalibrationOk(JoystickCalibration& cal, CalibrationSession& session) {
    if (session.phase == CalibrationCentrePhase) {
        for (int i = 0; i < JoystickAxisCount; ++i)
            StoreShared(cal.centreRaw[i], LoadShared(cal.raw[i]));
        session.phase = CalibrationExtentPhase;
        return false;
    }
    if (session.phase != CalibrationExtentPhase) return false;
    bool anyUnmoved = false;
    for (int i = 0; i < JoystickAxisCount; ++i) {
        int64_t travel = static_cast<int64_t>(cal.maxRaw[i]) - cal.minRaw[i];
        session.unmoved[i] = i < session.axisCount && travel < CalibrationMinimumMove;
        anyUnmoved |= session.unmoved[i];
    }
    if (!anyUnmoved) return true;
    session.phase = CalibrationWarningPhase;
    return false;
}

void CalibrationGoOn(JoystickCalibration& cal, CalibrationSession& session) {
    for (int i = 0; i < JoystickAxisCount; ++i) {
        if (!session.unmoved[i]) continue; // moved enough: keeps its new calibration
        StoreShared(cal.maxRaw[i], session.oldMax[i]);
        StoreShared(cal.centreRaw[i], session.oldCentre[i]);
        StoreShared(cal.minRaw[i], session.oldMin[i]);
    }
}

void CalibrationRedo(JoystickCalibration& cal, CalibrationSession& session) {
    for (int i = 0; i < JoystickAxisCount; ++i) {
        if (!session.unmoved[i]) continue; // moved enough: keeps its extents
        StoreShared(cal.maxRaw[i], 0);
        StoreShared(cal.minRaw[i], 65535); // cleared for another try
        session.unmoved[i] = false;
    }
    session.phase = CalibrationExtentPhase;
}

void CancelCalibration(JoystickCalibration& cal, const CalibrationSession& session) {
    for (int i = 0; i < JoystickAxisCount; ++i) {
        StoreShared(cal.maxRaw[i], session.oldMax[i]);
        StoreShared(cal.centreRaw[i], session.oldCentre[i]);
        StoreShared(cal.minRaw[i], session.oldMin[i]);
    }
}

const char* CalibrationPrompt(const CalibrationSession& session) {
    return session.phase == CalibrationCentrePhase ? "Center Sticks" : "Move Sticks in circles";
}

std::string CalibrationWarning(const CalibrationSession& session) {
    std::string names;
    int count = 0;
    for (int i = 0; i < JoystickAxisCount; ++i) {
        if (!session.unmoved[i]) continue;
        if (count++ > 0) names += " and ";
        names += std::string("Axis ") + AxisNames[i];
    }
    if (count == 0) return "";
    return names + (count == 1 ? " was" : " were") +
           " moved less than a quarter of the travel. Go on keeps the old calibration of " +
           (count == 1 ? "that axis" : "those axes") + "; Redo lets you move the sticks again.";
}

std::vector<JoystickDeviceInfo> ListSelectableControllers(const std::vector<JoystickDeviceInfo>& devices) {
    std::vector<JoystickDeviceInfo> listed;
    ControllersExamined = static_cast<int32_t>(std::min<size_t>(devices.size(), MaxJoystickDevices));
    for (int32_t i = 0; i < ControllersExamined; ++i) {
        if (devices[i].axes > 3) listed.push_back(devices[i]);
    }
    ListedControllerCount = static_cast<int32_t>(listed.size());
    for (int32_t i = 0; i < ListedControllerCount; ++i)
        ListedControllerIds[i] = listed[i].id;
    return listed;
}

void SelectListedController(JoystickCalibration& cal, int position) {
    if (position < 0 || position >= ListedControllerCount) return;
    StoreShared(cal.joystickId, ListedControllerIds[position]);
}

int IdenticalDeviceIndex(const std::vector<JoystickDeviceInfo>& devices, int32_t id) {
    const JoystickDeviceInfo* self = nullptr;
    for (const JoystickDeviceInfo& d : devices)
        if (d.id == id) self = &d;
    if (!self) return 0;
    int index = 0;
    for (const JoystickDeviceInfo& d : devices)
        if (d.id < id && d.guid == self->guid && d.name == self->name) ++index;
    return index;
}

int32_t FindTransmitter(const std::vector<JoystickDeviceInfo>& devices, const TransmitterIdentity& who) {
    if (who.guid.empty() && who.name.empty()) return -1;
    int32_t first = -1;
    int seen = 0;
    for (const JoystickDeviceInfo& d : devices) {
        if (d.guid != who.guid || d.name != who.name) continue;
        if (seen++ == who.index) return d.id;
        if (first < 0) first = d.id;
    }
    return first;
}

std::vector<std::string> ControllerListTexts(const std::vector<JoystickDeviceInfo>& listed, int32_t inUseId) {
    std::vector<std::string> texts;
    for (const JoystickDeviceInfo& d : listed) {
        std::string text = d.name;
        int index = IdenticalDeviceIndex(listed, d.id);
        if (index > 0) text += " #" + std::to_string(index + 1);
        if (d.id == inUseId) text += " (in use)";
        texts.push_back(text);
    }
    return texts;
}
