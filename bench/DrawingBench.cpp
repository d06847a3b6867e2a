// Frames: the game's own (composed on the CPU, platforms kept per room and size) next to SDL's
// software renderer doing the copies the frame stands for, as the game drew it before: every
// image blended, opaque images unblended, and one full-frame copy as the floor. Along a walk the
// game's pixels are checked against a plain model of the device drawing the same quads (the
// tests' own); a pixel that differs fails the run.
#include "AllocationCounter.h"
#include "BenchSupport.h"
#include "Benchmarks.h"

#include "DeviceModel.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "platform/SdlDrawingDevice.h"
#include "world/Room.h"
#include "world/World.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace {

struct Size {
    int width;
    int height;
};
constexpr Size Sizes[] = {{640, 480}, {1024, 768}};

bool pixelsChanged = false;

// What one frame asked of the device, as the rectangles of whole repeats and cut texels that
// SDL copied.
struct DeviceCall {
    bool fill = false;
    const RgbaImage* image = nullptr;
    PixelRect source;
    PixelRect target;
    std::uint8_t red = 0, green = 0, blue = 0;
};
struct FrameRecord {
    std::uint32_t clearColour = 0;
    std::vector<DeviceCall> calls;
    std::map<const RgbaImage*, RgbaImage> images;
};

// The copies an axis stands for: runs of pixels whose texels go up by at most one from pixel to
// pixel, as x = first texel, w = texels, y = first pixel, h = pixels.
std::vector<PixelRect> runsOf(const AxisSamples& samples) {
    std::vector<PixelRect> runs;
    for (std::size_t i = 0; i < samples.texels.size(); ++i) {
        const int texel = samples.texels[i];
        const int pixel = samples.first + static_cast<int>(i);
        PixelRect* last = runs.empty() ? nullptr : &runs.back();
        if (last != nullptr && (texel == last->x + last->w - 1 || texel == last->x + last->w)) {
            last->w = texel - last->x + 1;
            ++last->h;
        } else {
            runs.push_back({texel, pixel, 1, 1});
        }
    }
    return runs;
}

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
        record.calls.clear();
        inner.clear(argb);
    }
    void fillRect(PixelRect target, std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        record.calls.push_back({true, nullptr, {}, target, red, green, blue});
        inner.fillRect(target, red, green, blue);
    }
    void drawImage(const RgbaImage& image, const AxisSamples& columns, const AxisSamples& rows,
                   std::uint8_t red, std::uint8_t green, std::uint8_t blue) override {
        for (const PixelRect& row : runsOf(rows)) {
            for (const PixelRect& column : runsOf(columns)) {
                record.calls.push_back({false,
                                        &image,
                                        {column.x, row.x, column.w, row.w},
                                        {column.y, row.y, column.h, row.h},
                                        red,
                                        green,
                                        blue});
            }
        }
        record.images.try_emplace(&image, image);
        inner.drawImage(image, columns, rows, red, green, blue);
    }
    FrameBuffer& frame() override { return inner.frame(); }
    bool readBackBuffer(RgbaImage& image) override { return inner.readBackBuffer(image); }

  private:
    DrawingDevice& inner;
    FrameRecord& record;
};

// A whole frame with every object drawn, the kept platforms too, written down as it goes.
FrameRecord recordFrame() {
    FrameRecord record;
    if (world.room)
        world.room->stillLayer().forget();
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

struct SdlDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};
using TextureHandle = std::unique_ptr<SDL_Texture, SdlDeleter>;

// SDL's software renderer on a surface with a back-buffer target, as the headless device was
// made before frames were composed on the CPU.
class SdlCopies {
  public:
    explicit SdlCopies(Size size)
        : surface(SDL_CreateRGBSurfaceWithFormat(0, size.width, size.height, 32, SDL_PIXELFORMAT_ARGB8888)),
          renderer(surface ? SDL_CreateSoftwareRenderer(surface.get()) : nullptr), size(size) {
        if (renderer) {
            target.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                           size.width, size.height));
            SDL_SetRenderTarget(renderer.get(), target.get());
        }
    }
    ~SdlCopies() {
        textures.clear();
        target.reset();
    }
    bool ok() const { return target != nullptr; }

    // The record's images as textures: every one blended, or only those with transparency.
    void load(const FrameRecord& record, bool opaqueUnblended) {
        textures.clear();
        for (const auto& [key, image] : record.images) {
            SDL_Texture* texture = SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_RGBA32,
                                                     SDL_TEXTUREACCESS_STATIC, image.width, image.height);
            SDL_UpdateTexture(texture, nullptr, image.pixels.data(), image.width * 4);
            SDL_SetTextureBlendMode(texture, opaqueUnblended && isOpaque(image) ? SDL_BLENDMODE_NONE
                                                                                : SDL_BLENDMODE_BLEND);
            SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
            textures[key].reset(texture);
        }
    }

    void draw(const FrameRecord& record) {
        SDL_Renderer* r = renderer.get();
        const std::uint32_t c = record.clearColour;
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
            SDL_Texture* texture = textures[call.image].get();
            const SDL_Rect from{call.source.x, call.source.y, call.source.w, call.source.h};
            SDL_SetTextureColorMod(texture, call.red, call.green, call.blue);
            SDL_RenderCopy(r, texture, &from, &to);
        }
    }

    RgbaImage read() {
        RgbaImage image;
        image.width = size.width;
        image.height = size.height;
        image.pixels.resize(static_cast<std::size_t>(size.width) * size.height * 4u);
        SDL_RenderReadPixels(renderer.get(), nullptr, SDL_PIXELFORMAT_RGBA32, image.pixels.data(),
                             size.width * 4);
        return image;
    }

    SDL_Renderer* sdl() { return renderer.get(); }

  private:
    std::unique_ptr<SDL_Surface, SdlDeleter> surface;
    std::unique_ptr<SDL_Renderer, SdlDeleter> renderer;
    TextureHandle target;
    std::map<const RgbaImage*, TextureHandle> textures;
    Size size;
};

// The frame against the device's model of the same quads over a walk of `steps`, a frame
// every 20 steps (robots mid-patrol, lasers firing, lifts on their way, the player mid-jump):
// the pixels that differ.
int compareWithModel(HeadlessGame& game, Size size, std::int64_t steps) {
    int differing = 0;
    const KeyScript walk = walkScript(steps);
    std::vector<DrawnQuad> quads;
    for (std::int64_t step = 1; step <= steps; ++step) {
        game.step(walk, step);
        if (step % 20 != 1)
            continue;
        quads.clear();
        theSpriteRenderer->quadLog = &quads;
        recordFrame();
        theSpriteRenderer->quadLog = nullptr;
        RgbaImage composed;
        theGraphics.device->readBackBuffer(composed);
        std::string problem;
        const RgbaImage device = model::drawFrame(quads, BackgroundColour, size.width, size.height, problem);
        if (!problem.empty() || device.pixels.size() != composed.pixels.size()) {
            ++differing;
            continue;
        }
        for (std::size_t i = 0; i < device.pixels.size(); i += 4)
            differing += std::memcmp(&device.pixels[i], &composed.pixels[i], 4) != 0 ? 1 : 0;
    }
    return differing;
}

void renderRoom(benchmark::State& state, const std::filesystem::path& root, std::size_t room, Size size) {
    HeadlessGame game(root, room, size.width, size.height);
    if (!game.ok()) {
        state.SkipWithError(game.error().c_str());
        return;
    }
    const FrameRecord record = recordFrame();
    const std::size_t live = world.room->stillLayer().liveObjects().size();
    const std::uint64_t allocationsBefore = allocationCount();
    for (auto _ : state) {
        beginFrame();
        renderWorld();
    }
    const std::uint64_t allocations = allocationCount() - allocationsBefore;
    countCalls(state, record);
    state.counters["live_pass0_objects"] = static_cast<double>(live);
    state.counters["allocs_per_frame"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations());
    const int differing = compareWithModel(game, size, 1200);
    state.counters["pixels_unlike_the_device"] = differing;
    if (differing != 0) {
        pixelsChanged = true;
        state.SkipWithError("pixels are not the ones the device draws");
    }
}

enum class Copies { AllBlended, OpaqueUnblended, FullFrame };

void copiesRoom(benchmark::State& state, const std::filesystem::path& root, std::size_t room, Size size,
                Copies kind) {
    FrameRecord record;
    {
        HeadlessGame game(root, room, size.width, size.height);
        if (!game.ok()) {
            state.SkipWithError(game.error().c_str());
            return;
        }
        record = recordFrame();
    }
    SdlCopies copies(size);
    if (!copies.ok()) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    if (kind != Copies::FullFrame) {
        copies.load(record, kind == Copies::OpaqueUnblended);
        for (auto _ : state)
            copies.draw(record);
    } else {
        SDL_Renderer* r = copies.sdl();
        TextureHandle frame(SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                              size.width, size.height));
        SDL_SetTextureBlendMode(frame.get(), SDL_BLENDMODE_NONE);
        for (auto _ : state)
            SDL_RenderCopy(r, frame.get(), nullptr, nullptr);
    }
    countCalls(state, record);
    state.SetItemsProcessed(state.iterations());
}

// A synthetic room of 1,000 objects at 1024 × 768: headless, or in a window shown every frame.
void renderCrowd(benchmark::State& state, const std::filesystem::path& root, bool inWindow) {
    const std::filesystem::path crowd = writeSyntheticRoot(root, 1000);
    {
        HeadlessGame game(crowd, 0, 1024, 768);
        SDL_Window* window = nullptr;
        if (!game.ok()) {
            state.SkipWithError(game.error().c_str());
        } else if (inWindow) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0 ||
                (window = SDL_CreateWindow("Marrowgast", 0, 0, 1024, 768, 0)) == nullptr) {
                state.SkipWithError(SDL_GetError());
            } else {
                std::string error;
                theGraphics.device = createWindowDrawingDevice(window, 1024, 768, error);
                if (!theGraphics.device)
                    state.SkipWithError(error.c_str());
            }
        }
        if (theGraphics.device) {
            const KeyScript walk = walkScript(1 << 20);
            std::int64_t step = 0;
            beginFrame();
            renderWorld();
            endFrame();
            // Showing the frame is counted apart: in a window, the OpenGL driver under SDL
            // allocates inside it (Mesa's llvmpipe compiles shaders with LLVM), none of it the game's.
            std::uint64_t gameAllocations = 0;
            std::uint64_t showAllocations = 0;
            for (auto _ : state) {
                const std::uint64_t atStart = allocationCount();
                game.step(walk, ++step);
                beginFrame();
                renderWorld();
                const std::uint64_t drawn = allocationCount();
                endFrame();
                gameAllocations += drawn - atStart;
                showAllocations += allocationCount() - drawn;
            }
            const auto frames = static_cast<double>(state.iterations());
            state.counters["allocs_per_frame"] = static_cast<double>(gameAllocations) / frames;
            state.counters["allocs_per_frame_shown"] = static_cast<double>(showAllocations) / frames;
            state.counters["objects"] = static_cast<double>(world.room->objects().size());
            state.counters["fps"] =
                benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
        }
        theGraphics.device.reset();
        if (window != nullptr)
            SDL_DestroyWindow(window);
    }
    std::filesystem::remove_all(crowd);
}

} // namespace

bool framePixelsChanged() {
    return pixelsChanged;
}

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
            const std::pair<const char*, Copies> variants[] = {
                {"render_baseline", Copies::AllBlended},
                {"render_opaque_unblended", Copies::OpaqueUnblended},
                {"render_full_copy", Copies::FullFrame}};
            for (const auto& [name, kind] : variants) {
                benchmark::RegisterBenchmark((name + suffix).c_str(), [root, index, size,
                                                                       kind = kind](benchmark::State& state) {
                    copiesRoom(state, root, index, size, kind);
                })->Unit(benchmark::kMicrosecond);
            }
        }
    }
    benchmark::RegisterBenchmark("render_1000_objects/headless/1024x768", [root](benchmark::State& state) {
        renderCrowd(state, root, false);
    })->Unit(benchmark::kMillisecond);
    // The window needs a display: scripts/bench.sh runs this one under Xvfb when it has one.
    if (std::getenv("MARROWGAST_BENCH_WINDOW") != nullptr) {
        benchmark::RegisterBenchmark("render_1000_objects/window/1024x768",
                                     [root](benchmark::State& state) { renderCrowd(state, root, true); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}
