// The camera's field of view: the described 27 degrees, narrowed by the auto zoom as the helicopter flies
// out and by the keyboard zoom (+, -, 0). Only the lens changes; the eye stays where it is.
#pragma once

constexpr float DescribedFieldOfView = 27.0f; // degrees, vertical
// Within this distance from the eye the auto zoom keeps the described view.
constexpr float AutoZoomStartDistance = 10.0f; // m
// The rotor's drawn width the auto zoom keeps at least, as a part of the window's height (40 of 1080 lines).
constexpr float MinRotorHeightFraction = 40.0f / 1080.0f;
// The fastest change of the field of view: a factor of e^2 a second, as the eye follows a change of size.
constexpr float MaxZoomRate = 2.0f; // natural log of the field of view per second
constexpr float NarrowestFieldOfView = 2.0f;
constexpr float WidestFieldOfView = 60.0f;
// The keyboard zoom: each + or - multiplies the magnification by this; between 1/4 and 8 in all.
constexpr float KeyZoomStep = 1.25f;

struct ViewZoom {
    bool autoZoom = false; // "Auto zoom" in the View menu, "AutoZoom" in Settings.ini
    float keyMagnification = 1.0f;
    float fieldOfView = DescribedFieldOfView; // what the frame draws with
};
extern ViewZoom Zoom;

// The field of view the auto zoom aims at for a helicopter at this distance from the eye with a rotor of
// this diameter: the described view within 10 m, then narrowing as the square root of the distance, and
// at least as narrow as keeps the rotor 40 lines of 1080 across.
float AutoZoomTarget(float distance, float rotorDiameter);
// The target with the keyboard magnification applied, kept within the narrowest and widest views.
float ZoomTarget(const ViewZoom& zoom, float distance, float rotorDiameter);
// Moves current toward target by at most MaxZoomRate x seconds in the logarithm; lands on it exactly.
float StepFieldOfView(float current, float target, float seconds);
// The keys: +1 zooms in, -1 out, 0 back to no keyboard magnification.
void KeyZoom(ViewZoom& zoom, int direction);
// Drawn width in pixels of an object of size metres at distance metres, with this field of view and
// window height (the small-angle picture the pixel tests check).
float DrawnSpan(float size, float distance, float fieldOfViewDeg, float windowHeight);
