// Vec3 and Mat4 operations in single precision.
#include "flight/vec_math.h"

#include <cmath>

const Vec3 WorldUnitX{1.0f, 0.0f, 0.0f};
const Vec3 WorldUnitY{0.0f, 1.0f, 0.0f};
const Vec3 WorldUnitZ{0.0f, 0.0f, 1.0f};
const Vec3 WorldZero{0.0f, 0.0f, 0.0f};

Vec3 set(float x, float y, float z) {
    return Vec3{x, y, z};
}
Vec3 add(Vec3 a, Vec3 b) {
    return Vec3{a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 sub(Vec3 a, Vec3 b) {
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 scale(Vec3 a, float s) {
    return Vec3{a.x * s, a.y * s, a.z * s};
}
float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
float dot(float ax, float ay, float az, float bx, float by, float bz) {
    return ax * bx + ay * by + az * bz;
}

Vec3 cross(Vec3 a, Vec3 b) {
    return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float length(Vec3 a) {
    return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
}
float length(float x, float y, float z) {
    return std::sqrt(x * x + y * y + z * z);
}

void normalize(Vec3& a) {
    float k = 1.0f / length(a);
    a.x *= k;
    a.y *= k;
    a.z *= k;
}

float angleBetween(Vec3 a, Vec3 b) {
    normalize(a);
    normalize(b);
    return std::acos(dot(a, b));
}

float headingAngle(Vec3 a) {
    return planarAngle(a.y, a.x);
}

Vec3 transform(Vec3 a, Mat4 m) {
    const float* e = m.m;
    return Vec3{a.x * e[0] + a.y * e[4] + a.z * e[8] + e[12], a.x * e[1] + a.y * e[5] + a.z * e[9] + e[13],
                a.x * e[2] + a.y * e[6] + a.z * e[10] + e[14]};
}

void transformInPlace(Vec3& a, Mat4 m) {
    a = transform(a, m);
}
void rotateX(Vec3& a, float t) {
    a = transform(a, rotationX(t));
}
void rotateY(Vec3& a, float t) {
    a = transform(a, rotationY(t));
}
void rotateZ(Vec3& a, float t) {
    a = transform(a, rotationZ(t));
}

Mat4 identity() {
    return Mat4{};
}
void setIdentity(Mat4& m) {
    m = Mat4{};
}

Mat4 zero() {
    Mat4 r;
    for (float& e : r.m)
        e = 0.0f;
    return r;
}

Mat4 rotationX(float t) {
    Mat4 r;
    float c = std::cos(t), s = std::sin(t);
    r.m[5] = c;
    r.m[6] = s;
    r.m[9] = -s;
    r.m[10] = c;
    return r;
}

Mat4 rotationY(float t) {
    Mat4 r;
    float c = std::cos(t), s = std::sin(t);
    r.m[0] = c;
    r.m[2] = -s;
    r.m[8] = s;
    r.m[10] = c;
    return r;
}

Mat4 rotationZ(float t) {
    Mat4 r;
    float c = std::cos(t), s = std::sin(t);
    r.m[0] = c;
    r.m[1] = s;
    r.m[4] = -s;
    r.m[5] = c;
    return r;
}

// Right-handed rotation by t about (x, y, z); the axis length cancels out (a zero axis is not allowed).
Mat4 rotationAxis(float x, float y, float z, float t) {
    float s = std::sin(t), c = std::cos(t);
    float lenSq = x * x + y * y + z * z;
    float r = std::sqrt(lenSq);
    float k = 1.0f - c;
    Mat4 m;
    m.m[0] = (x * x + c * (y * y + z * z)) / lenSq;
    m.m[5] = (y * y + c * (z * z + x * x)) / lenSq;
    m.m[10] = (z * z + c * (x * x + y * y)) / lenSq;
    m.m[4] = (k * x * y - s * z * r) / lenSq;
    m.m[1] = (k * x * y + s * z * r) / lenSq;
    m.m[8] = (k * x * z + s * y * r) / lenSq;
    m.m[2] = (k * x * z - s * y * r) / lenSq;
    m.m[9] = (k * y * z - s * x * r) / lenSq;
    m.m[6] = (k * y * z + s * x * r) / lenSq;
    return m;
}

Mat4 rotationAxis(Vec3 axis, float t) {
    return rotationAxis(axis.x, axis.y, axis.z, t);
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 p;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            p.m[4 * i + j] = a.m[j] * b.m[4 * i] + a.m[4 + j] * b.m[4 * i + 1] + a.m[8 + j] * b.m[4 * i + 2] +
                             a.m[12 + j] * b.m[4 * i + 3];
        }
    }
    return p;
}

// The rotation that turns direction a into direction b; parallel (or opposite) directions give the identity.
Mat4 rotationBetween(Vec3 a, Vec3 b) {
    normalize(a);
    normalize(b);
    Vec3 c = cross(a, b);
    if (!(length(c) > 1e-7f)) return identity();
    float angle = angleBetween(a, b);
    Mat4 m = rotationAxis(c, angle);
    if (length(sub(transform(a, m), b)) > 0.01f) m = rotationAxis(c, -angle);
    return m;
}

// atan2 variant: x = 0 exactly gives 0, and the half-planes are chosen by the signs of x and y.
float planarAngle(float y, float x) {
    float a = std::fabs(x) > 1e-10f ? std::atan(y / x) : 0.0f;
    if (x >= 0.0f) return a;
    return y >= 0.0f ? a + Pi : a - Pi;
}
