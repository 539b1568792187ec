// Vector and matrix operations: defaults, transforms, rotations, rotationBetween and planarAngle.
#include <gtest/gtest.h>

#include <cmath>

#include "flight/vec_math.h"

namespace {
void ExpectVec(Vec3 v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}
void ExpectMat(const Mat4& a, const Mat4& b, float tol = 1e-6f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tol) << "element " << i;
}
} // namespace

TEST(VecMath, DefaultsAndConstants) {
    Vec3 v;
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 1.0f);
    Mat4 m;
    ExpectMat(m, identity(), 0.0f);
    ExpectVec(WorldUnitX, 1, 0, 0, 0);
    ExpectVec(WorldUnitY, 0, 1, 0, 0);
    ExpectVec(WorldUnitZ, 0, 0, 1, 0);
    ExpectVec(WorldZero, 0, 0, 0, 0);
    Mat4 z = zero();
    for (float e : z.m)
        EXPECT_EQ(e, 0.0f);
    setIdentity(z);
    ExpectMat(z, identity(), 0.0f);
}

TEST(VecMath, VectorArithmetic) {
    Vec3 a{1, 2, 3}, b{4, -5, 6};
    ExpectVec(add(a, b), 5, -3, 9);
    ExpectVec(sub(a, b), -3, 7, -3);
    ExpectVec(scale(a, 2), 2, 4, 6);
    EXPECT_FLOAT_EQ(dot(a, b), 4 - 10 + 18);
    EXPECT_FLOAT_EQ(dot(1, 2, 3, 4, -5, 6), 12);
    ExpectVec(cross(a, b), 2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4);
    ExpectVec(cross(WorldUnitX, WorldUnitY), 0, 0, 1);
    EXPECT_FLOAT_EQ(length(Vec3{3, 4, 12}), 13);
    EXPECT_FLOAT_EQ(length(3, 4, 12), 13);
    Vec3 n{0, 3, 4};
    normalize(n);
    ExpectVec(n, 0, 0.6f, 0.8f);
    Vec3 zeroVec = WorldZero;
    normalize(zeroVec);
    EXPECT_FALSE(std::isfinite(zeroVec.x));
    EXPECT_NEAR(angleBetween(Vec3{2, 0, 0}, Vec3{0, 0, 5}), Pi / 2, 1e-6f);
}

TEST(VecMath, TransformAndAxisRotations) {
    Mat4 t;
    t.m[12] = 10;
    t.m[13] = 20;
    t.m[14] = 30;
    ExpectVec(transform(Vec3{1, 2, 3}, t), 11, 22, 33);
    Vec3 p{1, 2, 3};
    transformInPlace(p, t);
    ExpectVec(p, 11, 22, 33);

    ExpectVec(transform(WorldUnitY, rotationZ(Pi / 2)), -1, 0, 0);
    ExpectVec(transform(WorldUnitY, rotationX(Pi / 2)), 0, 0, 1);
    ExpectVec(transform(WorldUnitZ, rotationY(Pi / 2)), 1, 0, 0);
    Vec3 r = WorldUnitY;
    rotateZ(r, Pi / 2);
    ExpectVec(r, -1, 0, 0);
    r = WorldUnitY;
    rotateX(r, Pi / 2);
    ExpectVec(r, 0, 0, 1);
    r = WorldUnitZ;
    rotateY(r, Pi / 2);
    ExpectVec(r, 1, 0, 0);
}

TEST(VecMath, RotationAxisAndMultiply) {
    for (float t : {0.3f, -1.2f, 2.5f}) {
        ExpectMat(rotationAxis(0, 0, 2, t), rotationZ(t));
        ExpectMat(rotationAxis(3, 0, 0, t), rotationX(t));
        ExpectMat(rotationAxis(Vec3{0, 0.5f, 0}, t), rotationY(t));
    }
    // An oblique axis keeps itself fixed and turns perpendicular vectors by t.
    Vec3 axis{1, 1, 1};
    Mat4 m = rotationAxis(axis, 2 * Pi / 3);
    ExpectVec(transform(axis, m), 1, 1, 1, 1e-5f);
    ExpectVec(transform(WorldUnitX, m), 0, 1, 0, 1e-5f);

    // transform(v, A·B) = A applied to (B applied to v); the element formula in column-major terms.
    Mat4 a = rotationX(0.4f), b = rotationZ(1.1f);
    a.m[12] = 1.5f;
    Mat4 ab = multiply(a, b);
    Vec3 v{0.3f, -2, 0.7f};
    Vec3 expect = transform(transform(v, b), a);
    Vec3 got = transform(v, ab);
    ExpectVec(got, expect.x, expect.y, expect.z, 1e-5f);
    EXPECT_FLOAT_EQ(ab.m[4 * 1 + 2], a.m[2] * b.m[4] + a.m[6] * b.m[5] + a.m[10] * b.m[6] + a.m[14] * b.m[7]);
}

TEST(VecMath, RotationBetween) {
    ExpectMat(rotationBetween(Vec3{0, 2, 0}, Vec3{0, 5, 0}), identity(), 0.0f);
    ExpectMat(rotationBetween(Vec3{1, 0, 0}, Vec3{-3, 0, 0}), identity(), 0.0f); // opposite: no axis
    ExpectMat(rotationBetween(WorldUnitX, WorldUnitY), rotationZ(Pi / 2));
    Vec3 from{0.2f, -1, 0.5f}, to{-0.7f, 0.1f, 0.4f};
    Vec3 turned = transform(from, rotationBetween(from, to));
    normalize(turned);
    normalize(to);
    ExpectVec(turned, to.x, to.y, to.z, 1e-5f);
}

TEST(VecMath, PlanarAndHeadingAngles) {
    EXPECT_EQ(planarAngle(1, 0), 0.0f); // x = 0 exactly gives 0, not pi/2
    EXPECT_EQ(planarAngle(-1, 0), 0.0f);
    EXPECT_FLOAT_EQ(planarAngle(1, 1), Pi / 4);
    EXPECT_FLOAT_EQ(planarAngle(1, -1), 3 * Pi / 4);
    EXPECT_FLOAT_EQ(planarAngle(-1, -1), -3 * Pi / 4);
    EXPECT_EQ(headingAngle(Vec3{0, 5, 0}), 0.0f);
    EXPECT_FLOAT_EQ(headingAngle(Vec3{-1, 0, 0}), Pi);
    EXPECT_FLOAT_EQ(headingAngle(Vec3{-1, -0.0f, 0}), Pi); // -0 counts as y >= 0
    EXPECT_FLOAT_EQ(headingAngle(Vec3{-1, -1e-3f, 0}), std::atan(1e-3f) - Pi);
    EXPECT_FLOAT_EQ(DegToRad, 0.01745329238474369f);
    EXPECT_FLOAT_EQ(RadToDeg, 57.295780181884766f);
}
