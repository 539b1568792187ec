// Rotor-speed and airspeed dials, the two stick boxes, the idle-up and hold lamps, the status marks.
#include "render/instruments.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "flight/heli_step.h"
#include "render/stroke_text.h"
#include "render/view_settings.h"

int32_t InstrumentSizeChoice = 0;

namespace {
void Green() {
    glColor3f(0.0f, 0.8f, 0.0f);
}
void Yellow() {
    glColor3f(1.0f, 0.8f, 0.0f);
}
void Red() {
    glColor3f(0.8f, 0.0f, 0.0f);
}
void Black() {
    glColor3f(0.0f, 0.0f, 0.0f);
}

// One polygon of 361 points; an outline in line mode, a disc in fill mode.
void Circle(float cx, float cy, float r) {
    glBegin(GL_POLYGON);
    for (int deg = 0; deg <= 360; ++deg) {
        float a = static_cast<float>(deg) * DegToRad;
        glVertex2f(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    glEnd();
}

// Dial angles run clockwise on the screen from straight up.
void DialPoint(float cx, float cy, float r, float deg, float& x, float& y) {
    float a = deg * DegToRad;
    x = cx + r * std::sin(a);
    y = cy - r * std::cos(a);
}

void Dial(float x0, float y0, int ticks, float firstDeg, float stepDeg, float needleDeg) {
    float cx = x0 + 25.0f, cy = y0 + 25.0f;
    Green();
    Circle(cx, cy, 25.0f);
    glBegin(GL_LINES);
    for (int i = 0; i < ticks; ++i) {
        float deg = firstDeg + stepDeg * static_cast<float>(i);
        float x, y;
        DialPoint(cx, cy, 25.0f, deg, x, y);
        glVertex2f(x, y);
        DialPoint(cx, cy, 20.0f, deg, x, y);
        glVertex2f(x, y);
    }
    glEnd();
    Yellow();
    float nx, ny;
    DialPoint(cx, cy, 25.0f, needleDeg, nx, ny);
    glBegin(GL_LINES);
    glVertex2f(nx, ny);
    glVertex2f(cx, cy);
    glEnd();
}

void StickBox(float x0, float y0, float h, float v) {
    float cx = x0 + 25.0f, cy = y0 + 25.0f;
    Green();
    Circle(cx, cy, 25.0f);
    glBegin(GL_LINES);
    glVertex2f(x0 + 25.0f, y0);
    glVertex2f(x0 + 25.0f, y0 + 50.0f);
    glVertex2f(x0, y0 + 25.0f);
    glVertex2f(x0 + 50.0f, y0 + 25.0f);
    glEnd();
    float px = std::trunc(25.0f * h + x0 + 25.0f);
    float py = std::trunc(y0 + 25.0f - 25.0f * v);
    Yellow();
    glBegin(GL_LINES);
    glVertex2f(cx, cy);
    glVertex2f(px, py);
    glEnd();
    Circle(px, py, 3.0f);
}

void Quad(float x1, float y1, float x2, float y2) {
    glBegin(GL_QUADS);
    glVertex2f(x1, y1);
    glVertex2f(x2, y1);
    glVertex2f(x2, y2);
    glVertex2f(x1, y2);
    glEnd();
}

// A number centred under a dial (cx its centre) on a dark backing that reads over grass and sky alike;
// a long number is moved in from the overlay's edges (0 and right).
void Readout(const std::string& text, float cx, float top, float rowHeight, float right) {
    const float glyph = rowHeight * 0.6f;
    const float width = StrokeTextWidth(text, glyph);
    cx = std::max(std::min(cx, right - width * 0.5f - 4.0f), width * 0.5f + 4.0f);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_POLYGON_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4f(0.0f, 0.0f, 0.0f, 0.55f);
    Quad(cx - width * 0.5f - 3.0f, top + 1.0f, cx + width * 0.5f + 3.0f, top + rowHeight - 1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawStrokeText(text, cx - width * 0.5f, top + (rowHeight - glyph) * 0.5f, glyph);
    glPopAttrib();
}
} // namespace

float InstrumentSizeFactor(int32_t choice) {
    if (choice == 1) return 1.5f;
    if (choice == 2) return 2.0f;
    return 1.0f;
}

float ReadoutRowHeight(int32_t choice) {
    return InstrumentSizeFactor(choice) > 1.0f ? 16.0f : 0.0f;
}

std::string RotorReadout(float rotorRpm) {
    if (!std::isfinite(rotorRpm) || rotorRpm < 0.0f) rotorRpm = 0.0f;
    char text[32];
    std::snprintf(text, sizeof text, "%d rpm", static_cast<int>(std::min(rotorRpm, 99999.0f) + 0.5f));
    return text;
}

std::string SpeedReadout(float airspeedMph) {
    if (!std::isfinite(airspeedMph) || airspeedMph < 0.0f) airspeedMph = 0.0f;
    char text[32];
    std::snprintf(text, sizeof text, "%d mph", static_cast<int>(std::min(airspeedMph, 9999.0f) + 0.5f));
    return text;
}

void DrawInstruments(const RenderSnapshot& snap, int32_t width, int32_t height) {
    if (!showInstruments) return;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    float w = static_cast<float>(width), h = static_cast<float>(height);
    float half = static_cast<float>(width / 2);
    // The larger sizes leave a row under the instruments for the numbers.
    const float row = ReadoutRowHeight(InstrumentSizeChoice);
    const float top = h - 50.0f - row;
    Dial(54.0f, top, 5, -160.0f, 80.0f, snap.heli.rotorRpm / 4000.0f * 320.0f - 160.0f);
    StickBox(half - 54.0f, top, snap.yawInput, snap.collectiveStick);
    StickBox(half, top, snap.rollInput, snap.pitchInput);
    Dial(w - 54.0f, top, 6, -150.0f, 60.0f, snap.airspeedMph * 6.0f - 150.0f);
    if (row > 0.0f) {
        Readout(RotorReadout(snap.heli.rotorRpm), 79.0f, h - row, row, w);
        Readout(SpeedReadout(snap.airspeedMph), w - 29.0f, h - row, row, w);
    }
}

void DrawSwitchLamps(const RenderSnapshot& snap, int32_t width, int32_t) {
    Red();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (snap.idleUpOn) Circle(10.0f, 10.0f, 3.0f);
    if (snap.throttleHoldOn) Circle(static_cast<float>(width) - 10.0f, 10.0f, 3.0f);
}

void DrawStatusMarks(const RenderSnapshot& snap, int32_t width) {
    float w = static_cast<float>(width);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (snap.simPaused) {
        Black();
        Quad(w - 27.0f, 20.0f, w - 20.0f, 40.0f);
        Quad(w - 40.0f, 20.0f, w - 33.0f, 40.0f);
    }
    if (snap.slowMotionPlayback) {
        Black();
        Quad(w - 76.0f, 28.0f, w - 72.0f, 32.0f);
        Quad(w - 84.0f, 28.0f, w - 80.0f, 32.0f);
        Quad(w - 92.0f, 28.0f, w - 88.0f, 32.0f);
    }
    if (snap.recorderPlaying) {
        Black();
        glBegin(GL_TRIANGLES);
        glVertex2f(w - 60.0f, 20.0f);
        glVertex2f(w - 45.0f, 30.0f);
        glVertex2f(w - 60.0f, 40.0f);
        glEnd();
    }
    if (snap.recorderRecording) {
        Red();
        Quad(w - 40.0f, 20.0f, w - 20.0f, 40.0f);
    }
}
