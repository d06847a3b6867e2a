#pragma once

// 4 × 4 float matrix, row-major, used with row vectors: a point p is transformed as p × M.
struct Matrix4 {
    float m[4][4] = {{1.0f, 0.0f, 0.0f, 0.0f},
                     {0.0f, 1.0f, 0.0f, 0.0f},
                     {0.0f, 0.0f, 1.0f, 0.0f},
                     {0.0f, 0.0f, 0.0f, 1.0f}};
};

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// The standard left-handed builders, all in single precision.
Matrix4 matrixTranslation(float x, float y, float z);
Matrix4 matrixScaling(float x, float y, float z);
Matrix4 matrixMultiply(const Matrix4& a, const Matrix4& b);
Matrix4 matrixLookAtLH(Vector3 eye, Vector3 at, Vector3 up);
Matrix4 matrixOrthoLH(float width, float height, float zNear, float zFar);

// (x, y, z, 1) × M; `w` receives the fourth component.
Vector3 transformPoint(const Matrix4& matrix, Vector3 point, float& w);
