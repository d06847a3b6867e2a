#include "platform/SdlGamepad.h"

namespace {

bool padButtonFor(Uint8 button, PadButton& out) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
        out = PadButton::South;
        return true;
    case SDL_CONTROLLER_BUTTON_Y:
        out = PadButton::North;
        return true;
    case SDL_CONTROLLER_BUTTON_BACK:
        out = PadButton::Back;
        return true;
    case SDL_CONTROLLER_BUTTON_START:
        out = PadButton::Start;
        return true;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        out = PadButton::DpadUp;
        return true;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        out = PadButton::DpadDown;
        return true;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        out = PadButton::DpadLeft;
        return true;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        out = PadButton::DpadRight;
        return true;
    default:
        return false;
    }
}

} // namespace

SdlGamepads::~SdlGamepads() {
    for (Pad& pad : pads)
        if (pad.controller)
            SDL_GameControllerClose(pad.controller);
    if (started)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool SdlGamepads::start() {
    started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return started;
}

int SdlGamepads::count() const {
    int open = 0;
    for (const Pad& pad : pads)
        open += pad.controller != nullptr ? 1 : 0;
    return open;
}

SdlGamepads::Pad* SdlGamepads::find(SDL_JoystickID id) {
    for (Pad& pad : pads)
        if (pad.controller && pad.id == id)
            return &pad;
    return nullptr;
}

void SdlGamepads::handleEvent(InputState& input, const SDL_Event& event) {
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED: {
        // The event names a device index; the others name the opened pad's instance.
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(event.cdevice.which);
        if (id < 0 || find(id) != nullptr)
            return;
        for (Pad& pad : pads) {
            if (pad.controller)
                continue;
            pad.controller = SDL_GameControllerOpen(event.cdevice.which);
            pad.id = id;
            pad.state = GamepadState{};
            return;
        }
        return;
    }
    case SDL_CONTROLLERDEVICEREMOVED:
        if (Pad* pad = find(event.cdevice.which)) {
            releasePad(input, static_cast<int>(pad - pads.data()) + 1, pad->state);
            SDL_GameControllerClose(pad->controller);
            *pad = Pad{};
        }
        return;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        Pad* pad = find(event.cbutton.which);
        PadButton button;
        if (pad && padButtonFor(event.cbutton.button, button))
            setPadButton(input, static_cast<int>(pad - pads.data()) + 1, pad->state, button,
                         event.type == SDL_CONTROLLERBUTTONDOWN);
        return;
    }
    case SDL_CONTROLLERAXISMOTION: {
        Pad* pad = find(event.caxis.which);
        const Uint8 axis = event.caxis.axis;
        if (pad && (axis == SDL_CONTROLLER_AXIS_LEFTX || axis == SDL_CONTROLLER_AXIS_LEFTY))
            setPadStick(input, static_cast<int>(pad - pads.data()) + 1, pad->state,
                        axis == SDL_CONTROLLER_AXIS_LEFTX ? 0 : 1, event.caxis.value);
        return;
    }
    default:
        return;
    }
}
