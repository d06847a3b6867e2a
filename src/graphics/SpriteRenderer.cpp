#include "graphics/SpriteRenderer.h"

#include "graphics/Graphics.h"
#include "graphics/QuadLayout.h"

std::unique_ptr<SpriteRenderer> theSpriteRenderer;

SpriteRenderer::SpriteRenderer() = default;

bool SpriteRenderer::placeQuad(float x, float y, float w, float h, float uRepeat, float vRepeat, int layer,
                               int width, int height, QuadAxis& across, QuadAxis& down) {
    // Layers lift the quad (by 0.2, 0.4 or 1 unit, written in fifths so they stay exact) and the
    // top one squashes it to 0.4 of its height; they need no depth, since only the order of
    // drawing decides what covers what.
    int liftFifths = 0;
    int heightFifths = 5;
    float heightScale = 1.0f;
    switch (layer) {
    case 1:
        liftFifths = 1;
        break;
    case 2:
        liftFifths = 2;
        break;
    case 3:
        liftFifths = 5;
        heightFifths = 2;
        heightScale = 0.4f;
        break;
    default:
        // Layer 0, and any value a caller should not pass.
        break;
    }
    // Kept as the device's world matrix would be; the pixels come from the exact numbers below.
    worldMatrix = matrixMultiply(matrixScaling(w, h * heightScale, 1.0f),
                                 matrixTranslation(x, y - static_cast<float>(liftFifths) / 5.0f, 0.0f));
    // The camera shows the 40 x 30 room on the whole back buffer: texture coordinate 0 at the
    // quad's left and top edges, the repeat counts at its right and bottom edges.
    across = {x, w, uRepeat, 0, 0, 5, static_cast<int>(RoomWidth), width};
    down = {y, h, vRepeat, -liftFifths, -heightFifths, 0, static_cast<int>(RoomHeight), height};
    return width > 0 && height > 0;
}

PixelRect SpriteRenderer::quadPixels(float x, float y, float w, float h, int layer) {
    DrawingDevice* device = theGraphics.device.get();
    if (!device) {
        return {};
    }
    QuadAxis across;
    QuadAxis down;
    int left = 0, right = 0, top = 0, bottom = 0;
    if (!placeQuad(x, y, w, h, 1.0f, 1.0f, layer, device->backBufferWidth(), device->backBufferHeight(),
                   across, down) ||
        !coveredPixels(across, left, right) || !coveredPixels(down, top, bottom)) {
        return {};
    }
    return {left, top, right - left, bottom - top};
}

void SpriteRenderer::drawQuad(float x, float y, float w, float h, float uRepeat, float vRepeat,
                              std::uint32_t colour, int layer) {
    auto red = static_cast<std::uint8_t>(colour & 0xFF);
    auto green = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    auto blue = static_cast<std::uint8_t>((colour >> 16) & 0xFF);

    if (quadLog != nullptr) {
        quadLog->push_back({x, y, w, h, uRepeat, vRepeat, colour, layer, theGraphics.boundTexture});
    }
    DrawingDevice* device = theGraphics.device.get();
    QuadAxis across;
    QuadAxis down;
    // Placed all the same: the world matrix is the last quad's, with a device or without.
    if (!placeQuad(x, y, w, h, uRepeat, vRepeat, layer, device ? device->backBufferWidth() : 0,
                   device ? device->backBufferHeight() : 0, across, down)) {
        return;
    }

    const Texture* texture = theGraphics.boundTexture;
    if (!texture || texture->image.width <= 0 || texture->image.height <= 0) {
        int left = 0, right = 0, top = 0, bottom = 0;
        if (coveredPixels(across, left, right) && coveredPixels(down, top, bottom)) {
            device->fillRect({left, top, right - left, bottom - top}, red, green, blue);
        }
        return;
    }
    sampleAxis(across, texture->image.width, columns);
    sampleAxis(down, texture->image.height, rows);
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
