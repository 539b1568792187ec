// The auto zoom's target, the keyboard magnification and the rate limit of the field of view.
#include "render/view_zoom.h"

#include <algorithm>
#include <cmath>

ViewZoom Zoom;

namespace {
constexpr float DegPerRad = 57.2957795f;
}

float AutoZoomTarget(float distance, float rotorDiameter) {
    if (!std::isfinite(distance) || distance <= AutoZoomStartDistance) return DescribedFieldOfView;
    float gentle = DescribedFieldOfView * std::sqrt(AutoZoomStartDistance / distance);
    // The view whose height holds the rotor 1 / MinRotorHeightFraction times.
    float diameter = std::isfinite(rotorDiameter) && rotorDiameter > 0.0f ? rotorDiameter : 0.71f;
    float keep = 2.0f * std::atan(diameter / (2.0f * MinRotorHeightFraction * distance)) * DegPerRad;
    return std::clamp(std::min(gentle, keep), NarrowestFieldOfView, DescribedFieldOfView);
}

float ZoomTarget(const ViewZoom& zoom, float distance, float rotorDiameter) {
    float fov = zoom.autoZoom ? AutoZoomTarget(distance, rotorDiameter) : DescribedFieldOfView;
    if (zoom.keyMagnification == 1.0f) return fov;
    // Magnifying by m narrows the tangent of the half angle by m.
    float half = std::atan(std::tan(fov * 0.5f / DegPerRad) / zoom.keyMagnification);
    return std::clamp(2.0f * half * DegPerRad, NarrowestFieldOfView, WidestFieldOfView);
}

float StepFieldOfView(float current, float target, float seconds) {
    if (!std::isfinite(current) || current <= 0.0f) return target;
    float step = MaxZoomRate * std::clamp(seconds, 0.0f, 0.1f);
    float change = std::log(target / current);
    if (std::fabs(change) <= step) return target;
    return current * std::exp(change > 0.0f ? step : -step);
}

void KeyZoom(ViewZoom& zoom, int direction) {
    if (direction == 0) {
        zoom.keyMagnification = 1.0f;
        return;
    }
    float m = direction > 0 ? zoom.keyMagnification * KeyZoomStep : zoom.keyMagnification / KeyZoomStep;
    zoom.keyMagnification = std::clamp(m, 0.25f, 8.0f);
}

float DrawnSpan(float size, float distance, float fieldOfViewDeg, float windowHeight) {
    return windowHeight * size / (2.0f * distance * std::tan(fieldOfViewDeg * 0.5f / DegPerRad));
}
