// Marrowgast: start-up, the frame loop, and the releases at exit.
#include "app/FrameLoop.h"
#include "platform/SdlPlatform.h"

#include <cstdio>
#include <string>

namespace {

// Stand-ins for the world, drawing, keyboard and sound until they are wired.
class StandInHooks : public FrameHooks {
public:
    void pollInput() override {}
    int updateWorld() override { return 0; }
    void beginFrame() override {}
    void renderWorld() override {}
    void endFrame() override {}
    void setKeyboardActive(bool) override {}
    void stopAllSounds() override {}
};

int fail(const std::string& what) {
    std::fprintf(stderr, "marrowgast: %s\n", what.c_str());
    return 1;
}

} // namespace

int main() {
    std::string error;
    SdlSession sdl;
    if (!sdl.start(error))
        return fail(error);
    SdlWindow window;
    if (!window.create(640, 480, error))
        return fail(error);

    SdlTicks ticks;
    SdlMessageSource messages;
    StandInHooks hooks;
    Engine engine;
    engine.clock.ticks = &ticks;
    runFrameLoop(engine, messages, hooks);
    return 0;
}
