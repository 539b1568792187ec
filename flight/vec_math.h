// Vec3 and Mat4: the small single-precision value types shared by the flight model and the drawing code.
#pragma once

// World frame: metres, right-handed, z up, x to the pilot's right, y straight ahead of the pilot.
struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 1.0f; // a default vector is (0, 0, 1); use WorldZero for a zero vector
};
static_assert(sizeof(Vec3) == 12);

// Sixteen floats, column-major as glMultMatrixf expects: element (row r, column c) is m[4c + r].
struct Mat4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

constexpr float DegToRad = 0.01745329238474369f;
constexpr float RadToDeg = 57.295780181884766f;
constexpr float Pi = 3.1415927410125732f;

extern const Vec3 WorldUnitX;
extern const Vec3 WorldUnitY;
extern const Vec3 WorldUnitZ;
extern const Vec3 WorldZero;

Vec3 set(float x, float y, float z);
Vec3 add(Vec3 a, Vec3 b);
Vec3 sub(Vec3 a, Vec3 b);
Vec3 scale(Vec3 a, float s);
float dot(Vec3 a, Vec3 b);
float dot(float ax, float ay, float az, float bx, float by, float bz);
Vec3 cross(Vec3 a, Vec3 b);
float length(Vec3 a);
float length(float x, float y, float z);
void normalize(Vec3& a); // in place, no guard against a zero vector
float angleBetween(Vec3 a, Vec3 b);
float headingAngle(Vec3 a);
Vec3 transform(Vec3 a, Mat4 m);         // returns M applied to the column vector (a, 1)
void transformInPlace(Vec3& a, Mat4 m); // a = transform(a, m)
void rotateX(Vec3& a, float t);
void rotateY(Vec3& a, float t);
void rotateZ(Vec3& a, float t);

Mat4 identity();
void setIdentity(Mat4& m);
Mat4 zero();
Mat4 rotationX(float t);
Mat4 rotationY(float t);
Mat4 rotationZ(float t);
Mat4 rotationAxis(float x, float y, float z, float t);
Mat4 rotationAxis(Vec3 axis, float t);
Mat4 multiply(const Mat4& a, const Mat4& b);
Mat4 rotationBetween(Vec3 a, Vec3 b);
float planarAngle(float y, float x);
