#include "graphics/Matrix.h"

#include <cmath>

namespace {

Vector3 subtract(Vector3 a, Vector3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vector3 cross(Vector3 a, Vector3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(Vector3 a, Vector3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 normalize(Vector3 v) {
    float length = std::sqrt(dot(v, v));
    if (length == 0.0f) {
        return {0.0f, 0.0f, 0.0f};
    }
    return {v.x / length, v.y / length, v.z / length};
}

} // namespace

Matrix4 matrixTranslation(float x, float y, float z) {
    Matrix4 result;
    result.m[3][0] = x;
    result.m[3][1] = y;
    result.m[3][2] = z;
    return result;
}

Matrix4 matrixScaling(float x, float y, float z) {
    Matrix4 result;
    result.m[0][0] = x;
    result.m[1][1] = y;
    result.m[2][2] = z;
    return result;
}

Matrix4 matrixMultiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 result;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = a.m[row][0] * b.m[0][column];
            sum = sum + a.m[row][1] * b.m[1][column];
            sum = sum + a.m[row][2] * b.m[2][column];
            sum = sum + a.m[row][3] * b.m[3][column];
            result.m[row][column] = sum;
        }
    }
    return result;
}

Matrix4 matrixLookAtLH(Vector3 eye, Vector3 at, Vector3 up) {
    Vector3 zAxis = normalize(subtract(at, eye));
    Vector3 xAxis = normalize(cross(up, zAxis));
    Vector3 yAxis = cross(zAxis, xAxis);
    Matrix4 result;
    result.m[0][0] = xAxis.x;
    result.m[0][1] = yAxis.x;
    result.m[0][2] = zAxis.x;
    result.m[1][0] = xAxis.y;
    result.m[1][1] = yAxis.y;
    result.m[1][2] = zAxis.y;
    result.m[2][0] = xAxis.z;
    result.m[2][1] = yAxis.z;
    result.m[2][2] = zAxis.z;
    result.m[3][0] = -dot(xAxis, eye);
    result.m[3][1] = -dot(yAxis, eye);
    result.m[3][2] = -dot(zAxis, eye);
    return result;
}

Matrix4 matrixOrthoLH(float width, float height, float zNear, float zFar) {
    Matrix4 result;
    result.m[0][0] = 2.0f / width;
    result.m[1][1] = 2.0f / height;
    result.m[2][2] = 1.0f / (zFar - zNear);
    result.m[3][2] = zNear / (zNear - zFar);
    return result;
}

Vector3 transformPoint(const Matrix4& matrix, Vector3 p, float& w) {
    const auto& m = matrix.m;
    Vector3 result;
    result.x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
    result.y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
    result.z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
    w = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + m[3][3];
    return result;
}
