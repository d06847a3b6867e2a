#pragma once
#include <cstdint>
#include <memory>

#include "graphics/Matrix.h"
#include "graphics/QuadLayout.h"

#include <vector>

class Texture;

// One drawQuad call as it was made, with the texture bound for it (null for a plain quad).
struct DrawnQuad {
    float x = 0.0f;
    float y = 0.0f;
    float w = 0.0f;
    float h = 0.0f;
    float uRepeat = 1.0f;
    float vRepeat = 1.0f;
    std::uint32_t colour = 0;
    int layer = 0;
    const Texture* texture = nullptr;
};

// The one drawing object: a tinted, optionally textured quad in room units.
class SpriteRenderer {
  public:
    SpriteRenderer();

    // Draws the unit quad placed by `layer` (0 to 3), scaled to w × h with its bottom left corner
    // at (x, y), on the room camera; the bound texture repeats uRepeat × vRepeat times. A pixel
    // is covered when its centre, at whole screen coordinates, lies inside (left and top edges
    // included), and shows the texel at that centre. `colour` has red in the lowest byte, then
    // green, blue and alpha.
    void drawQuad(float x, float y, float w, float h, float uRepeat, float vRepeat, std::uint32_t colour,
                  int layer);

    // The pixels that drawQuad with the same place would cover, textured or not; w and h 0 for none.
    PixelRect quadPixels(float x, float y, float w, float h, int layer);

    // The unit quad as (x, y, z): reference point (0, 0) bottom left. The texture's origin
    // is at the top left corner (vertex 0) and (uRepeat, vRepeat) at the bottom right.
    float quadVertices[4][3] = {
        {0.0f, -1.0f, 0.0f},
        {0.0f, 0.0f, 0.0f},
        {1.0f, -1.0f, 0.0f},
        {1.0f, 0.0f, 0.0f},
    };
    // When set, every drawQuad call is written down here first: for checking whole frames.
    std::vector<DrawnQuad>* quadLog = nullptr;

    Matrix4 worldMatrix;
    Matrix4 viewMatrix;
    Matrix4 projectionMatrix;

  private:
    // The quad's two axes on a back buffer of `width` × `height` pixels; false without one.
    bool placeQuad(float x, float y, float w, float h, float uRepeat, float vRepeat, int layer, int width,
                   int height, QuadAxis& across, QuadAxis& down);

    // The axes of the quad being drawn, kept from quad to quad so that drawing allocates nothing.
    AxisSamples columns;
    AxisSamples rows;
};

// Created by loadWorld after setupSpriteShader, destroyed by shutdownWorld before releaseSpriteShader.
extern std::unique_ptr<SpriteRenderer> theSpriteRenderer;

// Per-run drawing state around the renderer's life: stage 0 starts and ends empty.
void setupSpriteShader();
void releaseSpriteShader();

// The visible room in room units, whatever the back-buffer size: x to the right, y downward.
inline constexpr float RoomWidth = 40.0f;
inline constexpr float RoomHeight = 30.0f;

// The room camera: the 40 × 30 room fills the back buffer, y downward, whatever its size.
void setWorldCamera(SpriteRenderer& renderer);
