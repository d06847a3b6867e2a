#pragma once
#include <cstdint>
#include <memory>

#include "graphics/Matrix.h"
#include "graphics/QuadLayout.h"

#include <vector>

// A point on the back buffer, in pixels.
struct ScreenPoint {
    float x = 0.0f;
    float y = 0.0f;
};

// The one drawing object: a tinted, optionally textured quad in room units.
class SpriteRenderer {
  public:
    SpriteRenderer();

    // Draws the unit quad placed by `layer` (0 to 3), scaled to w × h with its bottom left corner
    // at (x, y), through world × view × projection; the bound texture repeats uRepeat × vRepeat
    // times. `colour` has red in the lowest byte, then green, blue and alpha.
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
    Matrix4 worldMatrix;
    Matrix4 viewMatrix;
    Matrix4 projectionMatrix;

  private:
    // Where the quad's vertex 0 and vertex 3 land on a back buffer of `width` × `height` pixels.
    bool placeQuad(float x, float y, float w, float h, int layer, int width, int height, ScreenPoint& origin,
                   ScreenPoint& far);

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
