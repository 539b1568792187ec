// The joystick record, its file, axis normalisation and the calibration and device-selection rules.
#include "app/safe_file.h"
#include "input/joystick_calibration.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "input/shared_field.h"

JoystickCalibration Calibration = [] {
    JoystickCalibration cal{};
    SetJoystickCalibrationDefaults(cal);
    return cal;
}();

int32_t ControllersExamined = 0;
int32_t ListedControllerIds[MaxJoystickDevices] = {};
int32_t ListedControllerCount = 0;

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

void StoreJoystickPoll(JoystickCalibration& cal, bool ok, const int32_t raw[JoystickAxisCount],
                       int32_t buttons) {
    for (int i = 0; i < JoystickAxisCount; ++i)
        StoreShared(cal.raw[i], ok ? raw[i] : 0);
    StoreShared(cal.buttons, ok ? buttons : 0);
}

void BeginCalibration(JoystickCalibration& cal, CalibrationSession& session) {
    for (int i = 0; i < JoystickAxisCount; ++i) {
        StoreShared(cal.maxRaw[i], 0);
        StoreShared(cal.minRaw[i], 65535);
        StoreShared(cal.centreRaw[i], 32768);
        session.bars[i] = 0;
    }
    session.phase = 0;
}

void CalibrationTick(JoystickCalibration& cal, CalibrationSession& session) {
    for (int i = 0; i < JoystickAxisCount; ++i) {
        int32_t raw = LoadShared(cal.raw[i]);
        int64_t d = static_cast<int64_t>(raw) - cal.centreRaw[i];
        session.bars[i] = static_cast<int>(std::clamp<int64_t>(d / 20, -1000000, 1000000));
        if (session.phase == 1) {
            if (raw > cal.maxRaw[i]) StoreShared(cal.maxRaw[i], raw);
            if (raw < cal.minRaw[i]) StoreShared(cal.minRaw[i], raw);
        }
    }
}

bool CalibrationOk(JoystickCalibration& cal, CalibrationSession& session) {
    if (session.phase == 0) {
        for (int i = 0; i < JoystickAxisCount; ++i)
            StoreShared(cal.centreRaw[i], LoadShared(cal.raw[i]));
        session.phase = 1;
        return false;
    }
    return true;
}

const char* CalibrationPrompt(const CalibrationSession& session) {
    return session.phase == 0 ? "Center Sticks" : "Move Sticks in circles";
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
