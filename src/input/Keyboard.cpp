#include "input/Keyboard.h"

#include <utility>

namespace {

// Room for a burst of typing; the buffers grow beyond it if ever needed and keep
// their memory, so a running game does not allocate per poll.
constexpr std::size_t InitialEventCapacity = 128;

} // namespace

void initInput(InputState& input) {
    input.keyboardCreated = true;
    input.acquired = true;
    input.eventBuffer.clear();
    input.pollBuffer.clear();
    input.eventBuffer.reserve(InitialEventCapacity);
    input.pollBuffer.reserve(InitialEventCapacity);
    input.heldKeys.fill(false);
    input.heldBySource.fill(0);
    input.releasesOwed.fill(false);
    input.anyReleaseOwed = false;
}

void setKeyboardActive(InputState& input, bool active) {
    if (!input.keyboardCreated || input.acquired == active)
        return;
    input.acquired = active;
    if (active)
        return;
    // Whatever happens to the keys from now until the window comes back is never seen,
    // so the player is owed a release of every key it still believes held.
    input.eventBuffer.clear();
    input.heldBySource.fill(0);
    for (int code = 0; code < KeyCodeCount; ++code) {
        if (input.heldKeys[code]) {
            input.releasesOwed[code] = true;
            input.anyReleaseOwed = true;
            input.heldKeys[code] = false;
        }
    }
}

void queueKeyEvent(InputState& input, int code, int pressed) {
    if (!input.keyboardCreated || !input.acquired)
        return;
    if (code < 0 || code >= KeyCodeCount)
        return;
    input.eventBuffer.push_back(KeyEvent{code, pressed != 0 ? 1 : 0});
}

void queueSourceKeyEvent(InputState& input, int source, int code, int pressed) {
    if (!input.keyboardCreated || !input.acquired || code < 0 || code >= KeyCodeCount || source < 0 ||
        source >= MostSources)
        return;
    const auto bit = static_cast<std::uint8_t>(1u << source);
    std::uint8_t& holders = input.heldBySource[static_cast<std::size_t>(code)];
    const bool othersHold = (holders & ~bit) != 0;
    holders = static_cast<std::uint8_t>(pressed != 0 ? holders | bit : holders & ~bit);
    if (!othersHold)
        queueKeyEvent(input, code, pressed);
}

void pollInput(InputState& input, KeyReceiver& receiver) {
    if (!input.keyboardCreated || !input.acquired)
        return;

    if (input.anyReleaseOwed) {
        input.anyReleaseOwed = false;
        for (int code = 0; code < KeyCodeCount; ++code) {
            if (input.releasesOwed[code]) {
                input.releasesOwed[code] = false;
                receiver.releaseHeldKey(code);
            }
        }
    }

    // Deliver from a separate batch: anything queued while a command runs (a display
    // change may pump the platform's events) waits for the next poll.
    std::swap(input.eventBuffer, input.pollBuffer);
    input.eventBuffer.clear();
    for (const KeyEvent& event : input.pollBuffer) {
        // A command that took the focus away dropped the rest of the batch with it.
        if (!input.acquired)
            break;
        input.heldKeys[event.code] = event.pressed != 0;
        receiver.dispatchKey(event.code, event.pressed);
    }
    input.pollBuffer.clear();
}
