#include "graphics/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Vector3 through(const Matrix4& m, Vector3 p) {
    float w = 0.0f;
    const Vector3 q = transformPoint(m, p, w);
    EXPECT_FLOAT_EQ(w, 1.0f);
    return q;
}

float distance(Vector3 a, Vector3 b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Row vectors: a point goes through the left matrix of a product first.
TEST(Matrix, ProductsApplyLeftFirst) {
    const Vector3 q = through(matrixMultiply(matrixScaling(2, 3, 4), matrixTranslation(1, 2, 3)), {1, 1, 1});
    EXPECT_FLOAT_EQ(q.x, 3.0f);
    EXPECT_FLOAT_EQ(q.y, 5.0f);
    EXPECT_FLOAT_EQ(q.z, 7.0f);
}

// A camera looking from anywhere: the eye is the origin, what it looks at lies straight ahead
// at its distance, "up" stays up, and lengths are kept.
TEST(Matrix, LookAtFromAnEyeOffEveryAxis) {
    const Vector3 eye{1, 2, -3};
    const Vector3 at{4, -1, 5};
    const Matrix4 view = matrixLookAtLH(eye, at, {0, 1, 0});
    const Vector3 origin = through(view, eye);
    EXPECT_NEAR(distance(origin, {0, 0, 0}), 0.0f, 1e-5f);
    const Vector3 ahead = through(view, at);
    EXPECT_NEAR(ahead.x, 0.0f, 1e-5f);
    EXPECT_NEAR(ahead.y, 0.0f, 1e-5f);
    EXPECT_NEAR(ahead.z, distance(eye, at), 1e-5f);
    EXPECT_GT(through(view, {eye.x, eye.y + 1, eye.z}).y, 0.0f);
    const Vector3 p{-2, 7, 0.5f};
    const Vector3 q{3, -4, 9};
    EXPECT_NEAR(distance(through(view, p), through(view, q)), distance(p, q), 1e-4f);
}

} // namespace
