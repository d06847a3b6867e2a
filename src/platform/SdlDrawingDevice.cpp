#include "platform/SdlDrawingDevice.h"

#include <map>

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
struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using RendererHandle = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using TextureHandle = std::unique_ptr<SDL_Texture, TextureDeleter>;
using SurfaceHandle = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

SDL_Rect toSdl(PixelRect rect) {
    return {rect.x, rect.y, rect.w, rect.h};
}

class SdlDrawingDevice final : public DrawingDevice {
  public:
    // `surface` is the headless output; null for a window.
    SdlDrawingDevice(RendererHandle renderer, SurfaceHandle surface)
        : surface(std::move(surface)), renderer(std::move(renderer)) {}

    ~SdlDrawingDevice() override {
        // Textures go before their renderer.
        images.clear();
        backBuffer.reset();
    }

    bool createBackBuffer(int width, int height, std::string& error) {
        TextureHandle target(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888,
                                               SDL_TEXTUREACCESS_TARGET, width, height));
        if (!target) {
            error = std::string("cannot create the back buffer: ") + SDL_GetError();
            return false;
        }
        // The clear colour has alpha 0: the back buffer is shown as it is, not blended.
        SDL_SetTextureBlendMode(target.get(), SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(target.get(), SDL_ScaleModeNearest);
        backBuffer = std::move(target);
        bufferWidth = width;
        bufferHeight = height;
        SDL_SetRenderTarget(renderer.get(), backBuffer.get());
        return true;
    }

    int backBufferWidth() const override { return bufferWidth; }
    int backBufferHeight() const override { return bufferHeight; }

    bool resetDevice(int width, int height, bool fullScreen) override {
        if (width <= 0 || height <= 0 || width > MaxImageSide || height > MaxImageSide) {
            return false;
        }
        std::string error;
        SDL_SetRenderTarget(renderer.get(), nullptr);
        TextureHandle old = std::move(backBuffer);
        if (!createBackBuffer(width, height, error)) {
            backBuffer = std::move(old);
            SDL_SetRenderTarget(renderer.get(), backBuffer.get());
            return false;
        }
        // Full screen waits for the retrace; the window does not.
        SDL_RenderSetVSync(renderer.get(), fullScreen ? 1 : 0);
        return true;
    }

    void restoreDevice(bool allTexturesLost) override {
        if (allTexturesLost) {
            // Made again from the images' pixels when next drawn.
            images.clear();
            SDL_SetRenderTarget(renderer.get(), nullptr);
            backBuffer.reset();
            std::string error;
            createBackBuffer(bufferWidth, bufferHeight, error);
        }
        SDL_SetRenderTarget(renderer.get(), backBuffer.get());
    }

    void beginFrame() override { SDL_SetRenderTarget(renderer.get(), backBuffer.get()); }

    void endFrame() override {
        SDL_Renderer* r = renderer.get();
        SDL_SetRenderTarget(r, nullptr);
        SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        int outputWidth = 0;
        int outputHeight = 0;
        SDL_GetRendererOutputSize(r, &outputWidth, &outputHeight);
        PixelRect shown = letterboxRect(bufferWidth, bufferHeight, outputWidth, outputHeight);
        if (backBuffer && shown.w > 0) {
            SDL_Rect target = toSdl(shown);
            SDL_RenderCopy(r, backBuffer.get(), nullptr, &target);
        }
        SDL_RenderPresent(r);
        SDL_SetRenderTarget(r, backBuffer.get());
    }

    void clear(std::uint32_t argb) override {
        SDL_SetRenderDrawBlendMode(renderer.get(), SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(renderer.get(), (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF,
                               (argb >> 24) & 0xFF);
        SDL_RenderClear(renderer.get());
    }

    void fillRect(PixelRect target, std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        SDL_SetRenderDrawBlendMode(renderer.get(), SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(renderer.get(), red, green, blue, 255);
        SDL_Rect rect = toSdl(target);
        SDL_RenderFillRect(renderer.get(), &rect);
    }

    void drawImage(std::uint64_t imageId, const RgbaImage& image, PixelRect source, PixelRect target,
                   std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        SDL_Texture* texture = deviceCopy(imageId, image);
        if (!texture) {
            // The device cannot hold this image: shown like an image that could not be loaded.
            fillRect(target, red, green, blue);
            return;
        }
        SDL_SetTextureColorMod(texture, red, green, blue);
        SDL_Rect from = toSdl(source);
        SDL_Rect to = toSdl(target);
        SDL_RenderCopy(renderer.get(), texture, &from, &to);
    }

    void releaseImage(std::uint64_t imageId) override { images.erase(imageId); }

    bool readBackBuffer(RgbaImage& image) override {
        image = RgbaImage{};
        if (!backBuffer) {
            return false;
        }
        SDL_SetRenderTarget(renderer.get(), backBuffer.get());
        RgbaImage read;
        read.width = bufferWidth;
        read.height = bufferHeight;
        read.pixels.resize(static_cast<std::size_t>(bufferWidth) * bufferHeight * 4u);
        if (SDL_RenderReadPixels(renderer.get(), nullptr, SDL_PIXELFORMAT_RGBA32, read.pixels.data(),
                                 bufferWidth * 4) != 0) {
            return false;
        }
        image = std::move(read);
        return true;
    }

  private:
    SDL_Texture* deviceCopy(std::uint64_t imageId, const RgbaImage& image) {
        auto found = images.find(imageId);
        if (found != images.end()) {
            return found->second.get();
        }
        TextureHandle texture(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_RGBA32,
                                                SDL_TEXTUREACCESS_STATIC, image.width, image.height));
        if (texture && SDL_UpdateTexture(texture.get(), nullptr, image.pixels.data(), image.width * 4) == 0) {
            // Blending a texel of full alpha gives the texel itself, so an image without
            // transparency is copied unblended: the same pixels at a fraction of the cost.
            SDL_SetTextureBlendMode(texture.get(),
                                    isOpaque(image) ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
            SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);
        } else {
            texture.reset();
        }
        // A failure is remembered too, so it is not retried every frame.
        return images.emplace(imageId, std::move(texture)).first->second.get();
    }

    SurfaceHandle surface;
    RendererHandle renderer;
    TextureHandle backBuffer;
    std::map<std::uint64_t, TextureHandle> images;
    int bufferWidth = 0;
    int bufferHeight = 0;
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
    SDL_RenderSetVSync(renderer.get(), 0);
    auto device = std::make_unique<SdlDrawingDevice>(std::move(renderer), nullptr);
    if (!device->createBackBuffer(width, height, error)) {
        return nullptr;
    }
    return device;
}

std::unique_ptr<DrawingDevice> createHeadlessDrawingDevice(int width, int height, std::string& error) {
    SurfaceHandle surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888));
    if (!surface) {
        error = std::string("cannot create the drawing surface: ") + SDL_GetError();
        return nullptr;
    }
    RendererHandle renderer(SDL_CreateSoftwareRenderer(surface.get()));
    if (!renderer) {
        error = std::string("cannot create the software renderer: ") + SDL_GetError();
        return nullptr;
    }
    auto device = std::make_unique<SdlDrawingDevice>(std::move(renderer), std::move(surface));
    if (!device->createBackBuffer(width, height, error)) {
        return nullptr;
    }
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
