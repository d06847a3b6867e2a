// One renderWorld frame per bundled room on the headless software device, next to SDL's
// software renderer doing the same fills and copies with no game code around it.
#include "AllocationCounter.h"
#include "BenchSupport.h"
#include "Benchmarks.h"

#include "game/WorldOperations.h"
#include "graphics/Graphics.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

struct Size {
    int width;
    int height;
};
constexpr Size Sizes[] = {{640, 480}, {1024, 768}};

// What one frame asked of the device, in order.
struct DeviceCall {
    bool fill = false;
    std::uint64_t imageId = 0;
    PixelRect source;
    PixelRect target;
    std::uint8_t red = 0, green = 0, blue = 0;
};
struct FrameRecord {
    std::uint32_t clearColour = 0;
    std::vector<DeviceCall> calls;
    std::map<std::uint64_t, RgbaImage> images;
};

// Passes everything on to the real device and writes down the frame's calls.
class RecordingDevice final : public DrawingDevice {
  public:
    RecordingDevice(DrawingDevice& inner, FrameRecord& record) : inner(inner), record(record) {}
    int backBufferWidth() const override { return inner.backBufferWidth(); }
    int backBufferHeight() const override { return inner.backBufferHeight(); }
    bool resetDevice(int width, int height, bool fullScreen) override {
        return inner.resetDevice(width, height, fullScreen);
    }
    void restoreDevice(bool allTexturesLost) override { inner.restoreDevice(allTexturesLost); }
    void beginFrame() override { inner.beginFrame(); }
    void endFrame() override { inner.endFrame(); }
    void clear(std::uint32_t argb) override {
        record.clearColour = argb;
        inner.clear(argb);
    }
    void fillRect(PixelRect target, std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        record.calls.push_back({true, 0, {}, target, red, green, blue});
        inner.fillRect(target, red, green, blue);
    }
    void drawImage(std::uint64_t imageId, const RgbaImage& image, PixelRect source, PixelRect target,
                   std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        record.calls.push_back({false, imageId, source, target, red, green, blue});
        record.images.try_emplace(imageId, image);
        inner.drawImage(imageId, image, source, target, red, green, blue);
    }
    void releaseImage(std::uint64_t imageId) override { inner.releaseImage(imageId); }
    bool readBackBuffer(RgbaImage& image) override { return inner.readBackBuffer(image); }

  private:
    DrawingDevice& inner;
    FrameRecord& record;
};

FrameRecord recordFrame() {
    FrameRecord record;
    std::unique_ptr<DrawingDevice> real = std::move(theGraphics.device);
    theGraphics.device = std::make_unique<RecordingDevice>(*real, record);
    beginFrame();
    renderWorld();
    theGraphics.device = std::move(real);
    return record;
}

void countCalls(benchmark::State& state, const FrameRecord& record) {
    int fills = 0;
    for (const DeviceCall& call : record.calls)
        fills += call.fill ? 1 : 0;
    state.counters["copies"] = static_cast<double>(record.calls.size()) - fills;
    state.counters["fills"] = fills;
}

void renderRoom(benchmark::State& state, const std::filesystem::path& root, std::size_t room, Size size) {
    HeadlessGame game(root, room, size.width, size.height);
    if (!game.ok()) {
        state.SkipWithError(game.error().c_str());
        return;
    }
    // The first frame makes the device copies of the images.
    beginFrame();
    renderWorld();
    const FrameRecord record = recordFrame();
    const std::uint64_t allocationsBefore = allocationCount();
    for (auto _ : state) {
        beginFrame();
        renderWorld();
    }
    const std::uint64_t allocations = allocationCount() - allocationsBefore;
    countCalls(state, record);
    state.counters["allocs_per_frame"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
}

struct SdlDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};

// SDL's software renderer on a surface with a back-buffer target, as the headless device is
// made, doing the recorded frame's clear, fills and copies.
void baselineRoom(benchmark::State& state, const std::filesystem::path& root, std::size_t room, Size size) {
    FrameRecord record;
    {
        HeadlessGame game(root, room, size.width, size.height);
        if (!game.ok()) {
            state.SkipWithError(game.error().c_str());
            return;
        }
        record = recordFrame();
    }
    std::unique_ptr<SDL_Surface, SdlDeleter> surface(
        SDL_CreateRGBSurfaceWithFormat(0, size.width, size.height, 32, SDL_PIXELFORMAT_ARGB8888));
    std::unique_ptr<SDL_Renderer, SdlDeleter> renderer(surface ? SDL_CreateSoftwareRenderer(surface.get())
                                                               : nullptr);
    if (!renderer) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_Renderer* r = renderer.get();
    std::unique_ptr<SDL_Texture, SdlDeleter> target(
        SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, size.width, size.height));
    SDL_SetRenderTarget(r, target.get());
    std::map<std::uint64_t, std::unique_ptr<SDL_Texture, SdlDeleter>> textures;
    for (const auto& [id, image] : record.images) {
        SDL_Texture* texture =
            SDL_CreateTexture(r, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC, image.width, image.height);
        SDL_UpdateTexture(texture, nullptr, image.pixels.data(), image.width * 4);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
        textures[id].reset(texture);
    }
    const std::uint32_t c = record.clearColour;
    for (auto _ : state) {
        SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(r, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, (c >> 24) & 0xFF);
        SDL_RenderClear(r);
        for (const DeviceCall& call : record.calls) {
            const SDL_Rect to{call.target.x, call.target.y, call.target.w, call.target.h};
            if (call.fill) {
                SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
                SDL_SetRenderDrawColor(r, call.red, call.green, call.blue, 255);
                SDL_RenderFillRect(r, &to);
                continue;
            }
            SDL_Texture* texture = textures[call.imageId].get();
            const SDL_Rect from{call.source.x, call.source.y, call.source.w, call.source.h};
            SDL_SetTextureColorMod(texture, call.red, call.green, call.blue);
            SDL_RenderCopy(r, texture, &from, &to);
        }
    }
    countCalls(state, record);
    state.SetItemsProcessed(state.iterations());
    textures.clear();
}

} // namespace

void registerDrawingBenchmarks(const std::filesystem::path& root) {
    for (const RoomCensus& room : censusOfRooms(root)) {
        if (room.objects == 0)
            continue;
        for (const Size size : Sizes) {
            const std::string suffix = "/room" + std::to_string(room.index + 1) + "/" +
                                       std::to_string(size.width) + "x" + std::to_string(size.height);
            const std::size_t index = room.index;
            benchmark::RegisterBenchmark(("render" + suffix).c_str(), [root, index,
                                                                       size](benchmark::State& state) {
                renderRoom(state, root, index, size);
            })->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("render_baseline" + suffix).c_str(), [root, index, size](
                                                                                   benchmark::State& state) {
                baselineRoom(state, root, index, size);
            })->Unit(benchmark::kMicrosecond);
        }
    }
}
