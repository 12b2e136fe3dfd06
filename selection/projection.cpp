#include "selection/projection.h"

namespace {

// out = matrix * in for a column-major matrix and a column vector.
void multiplyMatrixVector(const double matrix[16], const double in[4], double out[4]) {
    for (int i = 0; i < 4; ++i)
        out[i] = in[0] * matrix[0 * 4 + i] + in[1] * matrix[1 * 4 + i] + in[2] * matrix[2 * 4 + i] +
                 in[3] * matrix[3 * 4 + i];
}

// r = a * b with the arrays read row-major, which for OpenGL's column-major storage is the
// product b * a (so multiplyMatrices(modelview, projection) is projection * modelview).
void multiplyMatrices(const double a[16], const double b[16], double r[16]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[i * 4 + j] = a[i * 4 + 0] * b[0 * 4 + j] + a[i * 4 + 1] * b[1 * 4 + j] +
                           a[i * 4 + 2] * b[2 * 4 + j] + a[i * 4 + 3] * b[3 * 4 + j];
}

// Inverse by cofactors, in the order of terms GLU uses, so results agree bit for bit.
// Returns false when the determinant is exactly 0.
bool invertMatrix(const double m[16], double out[16]) {
    double inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
             m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];

    double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0)
        return false;
    det = 1.0 / det;
    for (int i = 0; i < 16; ++i)
        out[i] = inv[i] * det;
    return true;
}

} // namespace

bool projectPoint(const ViewTransform& view, const DPoint3& object, DPoint3& window) {
    double in[4] = {object.x, object.y, object.z, 1.0};
    double out[4];
    multiplyMatrixVector(view.modelview, in, out);
    multiplyMatrixVector(view.projection, out, in);
    if (in[3] == 0.0)
        return false;
    in[0] /= in[3];
    in[1] /= in[3];
    in[2] /= in[3];
    // Normalised device coordinates to [0, 1], then x and y onto the viewport.
    in[0] = in[0] * 0.5 + 0.5;
    in[1] = in[1] * 0.5 + 0.5;
    in[2] = in[2] * 0.5 + 0.5;
    in[0] = in[0] * view.viewport[2] + view.viewport[0];
    in[1] = in[1] * view.viewport[3] + view.viewport[1];
    window = {in[0], in[1], in[2]};
    return true;
}

Unprojector::Unprojector(const ViewTransform& view) {
    double combined[16];
    multiplyMatrices(view.modelview, view.projection, combined);
    invertible_ = invertMatrix(combined, inverse_);
    for (int i = 0; i < 4; ++i)
        viewport_[i] = view.viewport[i];
}

bool Unprojector::operator()(const DPoint3& window, DPoint3& object) const {
    if (!invertible_)
        return false;
    double in[4] = {window.x, window.y, window.z, 1.0};
    double out[4];
    // Window x and y back to [0, 1], then everything to normalised device coordinates.
    in[0] = (in[0] - viewport_[0]) / viewport_[2];
    in[1] = (in[1] - viewport_[1]) / viewport_[3];
    in[0] = in[0] * 2 - 1;
    in[1] = in[1] * 2 - 1;
    in[2] = in[2] * 2 - 1;
    multiplyMatrixVector(inverse_, in, out);
    if (out[3] == 0.0)
        return false;
    object = {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
    return true;
}
