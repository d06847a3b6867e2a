#include "graphics/SpriteRenderer.h"

#include <cmath>

#include "graphics/Graphics.h"
#include "graphics/QuadLayout.h"

std::unique_ptr<SpriteRenderer> theSpriteRenderer;

namespace {

// Unit-quad vertex through the matrix and onto the back buffer, in pixels.
bool toScreen(const Matrix4& matrix, const float* vertex, int width, int height, ScreenPoint& point) {
    float w = 1.0f;
    Vector3 clip = transformPoint(matrix, {vertex[0], vertex[1], vertex[2]}, w);
    if (!(w > 0.0f)) {
        return false;
    }
    float ndcX = clip.x / w;
    float ndcY = clip.y / w;
    point.x = (ndcX + 1.0f) * 0.5f * static_cast<float>(width);
    point.y = (1.0f - ndcY) * 0.5f * static_cast<float>(height);
    return std::isfinite(point.x) && std::isfinite(point.y);
}

// The pixels whose centres lie between the two corners, in whichever order they come.
bool coveredRect(ScreenPoint origin, ScreenPoint far, int width, int height, PixelRect& covered) {
    int left = 0, right = 0, top = 0, bottom = 0;
    if (!coveredSpan(std::fmin(origin.x, far.x), std::fmax(origin.x, far.x), width, left, right) ||
        !coveredSpan(std::fmin(origin.y, far.y), std::fmax(origin.y, far.y), height, top, bottom)) {
        return false;
    }
    covered = {left, top, right - left, bottom - top};
    return true;
}

} // namespace

SpriteRenderer::SpriteRenderer() = default;

bool SpriteRenderer::placeQuad(float x, float y, float w, float h, int layer, int width, int height,
                               ScreenPoint& origin, ScreenPoint& far) {
    // Layers lift the quad; they need no depth, since only the order of drawing decides
    // what covers what.
    float tx = x;
    float ty = y;
    float heightUsed = h;
    switch (layer) {
    case 1:
        ty = y - 0.2f;
        break;
    case 2:
        ty = y - 0.4f;
        break;
    case 3:
        ty = y - 1.0f;
        heightUsed = h * 0.4f;
        break;
    default:
        // Layer 0, and any value a caller should not pass.
        break;
    }
    worldMatrix = matrixMultiply(matrixScaling(w, heightUsed, 1.0f), matrixTranslation(tx, ty, 0.0f));
    Matrix4 transform = matrixMultiply(matrixMultiply(worldMatrix, viewMatrix), projectionMatrix);
    // The texture's (0, 0) sits at vertex 0 and (uRepeat, vRepeat) at vertex 3.
    return toScreen(transform, quadVertices[0], width, height, origin) &&
           toScreen(transform, quadVertices[3], width, height, far);
}

PixelRect SpriteRenderer::quadPixels(float x, float y, float w, float h, int layer) {
    DrawingDevice* device = theGraphics.device.get();
    if (!device) {
        return {};
    }
    int width = device->backBufferWidth();
    int height = device->backBufferHeight();
    ScreenPoint origin;
    ScreenPoint far;
    PixelRect covered;
    if (!placeQuad(x, y, w, h, layer, width, height, origin, far) ||
        !coveredRect(origin, far, width, height, covered)) {
        return {};
    }
    return covered;
}

void SpriteRenderer::drawQuad(float x, float y, float w, float h, float uRepeat, float vRepeat,
                              std::uint32_t colour, int layer) {
    auto red = static_cast<std::uint8_t>(colour & 0xFF);
    auto green = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    auto blue = static_cast<std::uint8_t>((colour >> 16) & 0xFF);

    DrawingDevice* device = theGraphics.device.get();
    if (!device) {
        // Placed all the same: the world matrix is the last quad's, with a device or without.
        ScreenPoint origin;
        ScreenPoint far;
        placeQuad(x, y, w, h, layer, 1, 1, origin, far);
        return;
    }
    int width = device->backBufferWidth();
    int height = device->backBufferHeight();
    ScreenPoint origin;
    ScreenPoint far;
    if (!placeQuad(x, y, w, h, layer, width, height, origin, far)) {
        return;
    }

    const Texture* texture = theGraphics.boundTexture;
    if (!texture || texture->image.width <= 0 || texture->image.height <= 0) {
        PixelRect covered;
        if (coveredRect(origin, far, width, height, covered)) {
            device->fillRect(covered, red, green, blue);
        }
        return;
    }

    auto lay = [](float start, float end, float repeat, int texels, int pixels, AxisSamples& samples) {
        if (start <= end) {
            sampleAxis(start, end, 0.0, repeat, texels, pixels, samples);
        } else {
            sampleAxis(end, start, repeat, 0.0, texels, pixels, samples);
        }
    };
    lay(origin.x, far.x, uRepeat, texture->image.width, width, columns);
    lay(origin.y, far.y, vRepeat, texture->image.height, height, rows);
    if (!columns.texels.empty() && !rows.texels.empty()) {
        device->drawImage(texture->image, columns, rows, red, green, blue);
    }
}

void setupSpriteShader() {
    theGraphics.boundTexture = nullptr;
}

void releaseSpriteShader() {
    theGraphics.boundTexture = nullptr;
}

void setWorldCamera(SpriteRenderer& renderer) {
    const float halfWidth = RoomWidth / 2.0f;
    const float halfHeight = RoomHeight / 2.0f;
    renderer.viewMatrix =
        matrixLookAtLH({halfWidth, halfHeight, -480.0f}, {halfWidth, halfHeight, 0.0f}, {0.0f, 1.0f, 0.0f});
    Matrix4 projection = matrixOrthoLH(RoomWidth, RoomHeight, 1000.0f, -1000.0f);
    // Room y grows downward on the screen.
    projection.m[1][0] = -projection.m[1][0];
    projection.m[1][1] = -projection.m[1][1];
    projection.m[1][2] = -projection.m[1][2];
    renderer.projectionMatrix = projection;
}
