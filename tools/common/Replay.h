#pragma once
#include "app/DataLookup.h"
#include "game/SnapshotFields.h"
#include "tools/common/ReplayOptions.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// Exit codes of marrowgast-replay.
inline constexpr int ReplayDone = 0;
// The run started but something could not be written (a trace, a shot).
inline constexpr int ReplayWriteFailed = 1;
// Bad options, key script or rooms: nothing was written.
inline constexpr int ReplayBadInput = 2;
// The run did not end where the recording's end line says it did.
inline constexpr int ReplayEndDiffers = 3;

inline constexpr std::string_view TraceHeader =
    "step\troom\tstate\tx\ty\th\tprevX\tprevY\tfacing\tkeys\tcurtain\tevents\n";
inline constexpr std::string_view ObjectsTraceHeader = "step\tindex\tkind\tx\ty\tdetail\n";

// The shortest text that reads back as exactly `value` ("0.25", "29", "1e-05").
void appendFloat(std::string& out, float value);

void appendWholeNumber(std::string& out, std::int64_t value);

// The object trace's detail column of an object that a snapshot `Part` describes: its traced
// fields as the part saves them, "/" between them.
template <class Part> void appendDetail(std::string& out, const typename Part::Object& object) {
    bool first = true;
    forEachTracedField<Part>([&](const auto& f) {
        using Saved = std::remove_cvref_t<decltype(std::declval<Part&>().*f.saved)>;
        using Live = std::remove_cvref_t<decltype(object.*f.live)>;
        // Only numbers are traced; links and animations are not.
        if constexpr (std::is_arithmetic_v<Saved> && std::is_arithmetic_v<Live>) {
            if (!first)
                out += '/';
            first = false;
            const Saved value = static_cast<Saved>(object.*f.live);
            if constexpr (std::is_floating_point_v<Saved>)
                appendFloat(out, value);
            else
                appendWholeNumber(out, value);
        }
    });
}

// One row of the player trace for the world as it stands after `step`; `events` is the
// step's comma-separated events, or empty for none ("-").
void appendTraceRow(std::string& out, std::int64_t step, std::string_view events);
// One row per object of the room being played, in the room's order.
void appendObjectRows(std::string& out, std::int64_t step);

// Runs the game headless as `options` asks. Diagnostics (one line each) go to
// `diagnostics`; a trace named "-" goes to `standardOutput`. Returns the exit code.
// Call it with no world loaded: it owns the world, the drawing device and the display
// settings while it runs, and leaves them as new, the sound sink as it was and the
// working directory where it was.
int runReplay(const ReplayOptions& options, std::ostream& standardOutput, std::ostream& diagnostics);

// The whole tool: the arguments after the program name, then runReplay. Without --root the
// root is found by `lookup` as the game finds its data, and the screenshot goes to the
// lookup's working directory; with no lookup the root is the working directory.
int replayMain(const std::vector<std::string>& args, std::ostream& standardOutput, std::ostream& diagnostics,
               const DataLookup* lookup = nullptr);
