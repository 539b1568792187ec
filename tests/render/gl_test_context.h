// A real GL context for the render tests and the benchmark: an SDL window on the X display (Xvfb in CI),
// Mesa's software renderer, and small helpers to write test pictures and read pixels back.
#pragma once
#include <ostream>
#include <string>
#include <vector>

// Opens a shown, double-buffered window of that client size with a current GL context.
// Returns false (with the reason in error) when no display or context can be had.
// samples > 1 asks for a multisampled frame buffer (anti-aliasing); see TestContextSamples.
bool CreateTestGLContext(int width, int height, std::string& error, int samples = 0);
// Samples per pixel of the frame buffer the system granted (0 without multisampling).
int TestContextSamples();
void DestroyTestGLContext();
void SwapTestWindow();

struct Rgb {
    int r, g, b;
};

// Reads the back buffer at (x, y) with y counted from the top of the client area.
Rgb ReadPixel(int x, int yFromTop, int clientHeight);
// Reads the whole back buffer, rows from the top.
std::vector<Rgb> ReadFrame(int width, int height);

// Writes an uncompressed 24-bit BMP, built byte by byte; pixel(row from the top, column) gives the colour.
void WriteBmp(const std::string& path, int width, int height, Rgb (*pixel)(int row, int column, void* user),
              void* user = nullptr);
void WriteSolidBmp(const std::string& path, int width, int height, Rgb colour);

bool Near(Rgb a, Rgb b, int tolerance);
inline std::ostream& operator<<(std::ostream& out, Rgb c) {
    return out << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}
