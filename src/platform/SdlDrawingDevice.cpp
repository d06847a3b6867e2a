#include "platform/SdlDrawingDevice.h"

#include <SDL.h>

#include "graphics/Graphics.h"
#include "graphics/RgbaImage.h"

namespace {

struct RendererDeleter {
    void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct TextureDeleter {
    void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};
using RendererHandle = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using TextureHandle = std::unique_ptr<SDL_Texture, TextureDeleter>;

bool isDrawableSize(int width, int height) {
    return width > 0 && height > 0 && width <= MaxImageSide && height <= MaxImageSide;
}

class WindowDrawingDevice final : public ComposingDevice {
  public:
    explicit WindowDrawingDevice(RendererHandle renderer) : renderer(std::move(renderer)) {}

    ~WindowDrawingDevice() override {
        // The texture goes before its renderer.
        shown.reset();
    }

    // The frame's copy in the renderer, in the frame's own byte order so that it goes up as it is.
    // The texture shown so far stays when no new one can be made.
    bool createShownTexture(int width, int height, std::string& error) {
        TextureHandle texture(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_RGBA32,
                                                SDL_TEXTUREACCESS_TARGET, width, height));
        if (!texture) {
            error = std::string("cannot create the back buffer: ") + SDL_GetError();
            return false;
        }
        // The clear colour has alpha 0: the frame is shown as it is, not blended.
        SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);
        shown = std::move(texture);
        return true;
    }

    bool resetDevice(int width, int height, bool fullScreen) override {
        if (!isDrawableSize(width, height)) {
            return false;
        }
        std::string error;
        if (!createShownTexture(width, height, error)) {
            return false;
        }
        composed.resize(width, height);
        // Full screen waits for the retrace; the window does not.
        SDL_RenderSetVSync(renderer.get(), fullScreen ? 1 : 0);
        return true;
    }

    void restoreDevice(bool allTexturesLost) override {
        if (allTexturesLost || !shown) {
            shown.reset();
            std::string error;
            createShownTexture(composed.width(), composed.height(), error);
        }
    }

    void endFrame() override {
        SDL_Renderer* r = renderer.get();
        upload();
        SDL_SetRenderTarget(r, nullptr);
        SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        int outputWidth = 0;
        int outputHeight = 0;
        SDL_GetRendererOutputSize(r, &outputWidth, &outputHeight);
        PixelRect place = letterboxRect(composed.width(), composed.height(), outputWidth, outputHeight);
        // An empty place (no output yet) draws nothing: SDL skips an empty target itself.
        if (shown) {
            SDL_Rect target{place.x, place.y, place.w, place.h};
            SDL_RenderCopy(r, shown.get(), nullptr, &target);
        }
        SDL_RenderPresent(r);
    }

    // Read back from the renderer's copy of the frame, so that what the window shows is what a
    // screenshot holds.
    bool readBackBuffer(RgbaImage& image) override {
        image = RgbaImage{};
        if (!upload()) {
            return false;
        }
        RgbaImage read;
        read.width = composed.width();
        read.height = composed.height();
        read.pixels.resize(composed.image().pixels.size());
        SDL_SetRenderTarget(renderer.get(), shown.get());
        const int status = SDL_RenderReadPixels(renderer.get(), nullptr, SDL_PIXELFORMAT_RGBA32,
                                                read.pixels.data(), read.width * 4);
        SDL_SetRenderTarget(renderer.get(), nullptr);
        if (status != 0) {
            return false;
        }
        image = std::move(read);
        return true;
    }

  private:
    bool upload() {
        return shown && SDL_UpdateTexture(shown.get(), nullptr, composed.image().pixels.data(),
                                          composed.width() * 4) == 0;
    }

    RendererHandle renderer;
    TextureHandle shown;
};

} // namespace

std::unique_ptr<DrawingDevice> createWindowDrawingDevice(SDL_Window* window, int width, int height,
                                                         std::string& error) {
    if (!window) {
        error = "cannot create the drawing device: no window";
        return nullptr;
    }
    RendererHandle renderer(
        SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE));
    if (!renderer) {
        renderer.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE));
    }
    if (!renderer) {
        error = std::string("cannot create the drawing device: ") + SDL_GetError();
        return nullptr;
    }
    auto device = std::make_unique<WindowDrawingDevice>(std::move(renderer));
    if (!isDrawableSize(width, height)) {
        error = "cannot create the back buffer: " + std::to_string(width) + " x " + std::to_string(height) +
                " is not a size the game can draw";
        return nullptr;
    }
    if (!device->createShownTexture(width, height, error)) {
        return nullptr;
    }
    device->resetDevice(width, height, false);
    return device;
}

std::string initGraphics(SDL_Window* window, int width, int height) {
    std::string error;
    std::unique_ptr<DrawingDevice> device = createWindowDrawingDevice(window, width, height, error);
    if (!device) {
        return error;
    }
    theGraphics.device = std::move(device);
    return {};
}
