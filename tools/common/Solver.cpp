#include "tools/common/Solver.h"

#include "actors/Player.h"
#include "app/GameSetup.h"
#include "game/WorldOperations.h"
#include "game/WorldSnapshot.h"
#include "graphics/SpriteRenderer.h"
#include "input/KeyNames.h"
#include "platform/system/LargePages.h"
#include "tools/common/Progress.h"
#include "world/Lift.h"
#include "world/Room.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <sstream>
#include <tuple>
#include <unordered_map>

namespace {

// Words left as they come, not zeroed: each is written before it is read. (What
// std::make_unique_for_overwrite does, which not every standard library of the game's builds has.)
std::unique_ptr<std::uint32_t[]> uninitialisedWords(std::size_t count) {
    return std::unique_ptr<std::uint32_t[]>(new std::uint32_t[count]);
}

} // namespace

namespace {

// How many crossings one search looks at before it keeps the easiest.
constexpr std::size_t CrossingsCompared = 6;
// The weight of the distance still to go against the steps already taken: above 1 the search
// heads for the far edge first and looks at waiting and detours later.
constexpr float Greed = 2.0f;
// How many steps the easiest crossings found may be re-run to make them easier still: a count,
// not a time, so the answer is the same on every machine (about 2 seconds on the development machine).
constexpr std::int64_t ClimbSteps = 8000000;
// In a room of many objects a step costs more: the climb's steps times the room's objects (and
// the player) stay within this, which is ClimbSteps for every room of up to 63 objects.
constexpr std::int64_t ClimbObjectSteps = ClimbSteps * 64;

// How many steps apart a run of a script looks up where runs before it were (see Checkpoints).
constexpr int CheckpointSteps = 16;

// What the search does to a world state each block: the player's keys held for BlockSteps.
constexpr std::uint8_t BaseActions[] = {0, KeyLeft, KeyRight, KeyJump, KeyLeft | KeyJump, KeyRight | KeyJump};
constexpr std::uint8_t LiftActions[] = {KeyUp, KeyDown};

template <class Part> std::uint32_t* putWords(std::uint32_t* out, const Part* parts, std::size_t count) {
    if (count > 0)
        std::memcpy(out, parts, count * sizeof(Part));
    return out + count * sizeof(Part) / sizeof(std::uint32_t);
}

template <class Part>
const std::uint32_t* takeWords(const std::uint32_t* in, Part* parts, std::size_t count) {
    if (count > 0)
        std::memcpy(static_cast<void*>(parts), in, count * sizeof(Part));
    return in + count * sizeof(Part) / sizeof(std::uint32_t);
}

// A world state as plain words, the held keys last: the snapshot's parts are 32-bit numbers
// with no padding, so equal words are equal snapshots.
class StateLayout {
  public:
    explicit StateLayout(const WorldSnapshot& shape) : shape(shape) {
        words = (sizeof(RingSnapshot) + sizeof(PlayerSnapshot) + shape.robots.size() * sizeof(RobotSnapshot) +
                 shape.lifts.size() * sizeof(LiftSnapshot) +
                 shape.searchables.size() * sizeof(SearchableSnapshot)) /
                    sizeof(std::uint32_t) +
                1;
    }
    // False when the room holds other objects than the shape (it never does before a crossing).
    bool fits(const WorldSnapshot& s) const {
        return s.robots.size() == shape.robots.size() && s.lifts.size() == shape.lifts.size() &&
               s.searchables.size() == shape.searchables.size();
    }
    void put(const WorldSnapshot& s, std::uint32_t held, std::uint32_t* out) const {
        out = putWords(out, &s.ring, 1);
        out = putWords(out, &s.player, 1);
        out = putWords(out, s.robots.data(), s.robots.size());
        out = putWords(out, s.lifts.data(), s.lifts.size());
        out = putWords(out, s.searchables.data(), s.searchables.size());
        *out = held;
    }
    std::uint32_t take(const std::uint32_t* in, WorldSnapshot& s) const {
        s = shape;
        in = takeWords(in, &s.ring, 1);
        in = takeWords(in, &s.player, 1);
        in = takeWords(in, s.robots.data(), s.robots.size());
        in = takeWords(in, s.lifts.data(), s.lifts.size());
        in = takeWords(in, s.searchables.data(), s.searchables.size());
        return *in;
    }
    std::size_t words = 0;

  private:
    WorldSnapshot shape;
};

// The states of a search, each a record of plain words (its node, then the state), kept in
// chunks of one size: growing never copies what is stored, and the bytes held are the number of
// chunks times their size, the same on every machine. Chunks of half a large page or more come
// two to a large page (see platform/system/LargePages.h): a search of a hundred thousand states
// writes tens of megabytes once, and faulting them in a small page at a time costs a tenth of
// its time.
class StateStore {
  public:
    StateStore(std::size_t recordWords, std::size_t chunkBytes)
        : recordWords(recordWords),
          perChunk(std::max<std::size_t>(1, chunkBytes / (recordWords * sizeof(std::uint32_t)))) {}

    std::size_t size() const { return count; }
    std::uint32_t* operator[](std::size_t i) { return chunks[i / perChunk] + (i % perChunk) * recordWords; }
    const std::uint32_t* operator[](std::size_t i) const {
        return chunks[i / perChunk] + (i % perChunk) * recordWords;
    }
    // What the next record adds to bytes(): a chunk, or nothing while the last has room.
    std::size_t growth() const { return count % perChunk == 0 ? chunkSize() : 0; }
    std::uint32_t* add() {
        if (count % perChunk == 0)
            chunks.push_back(newChunk());
        return (*this)[count++];
    }
    std::size_t bytes() const {
        return chunks.size() * (chunkSize() + sizeof(std::unique_ptr<std::uint32_t[]>));
    }

  private:
    struct FreeLargePage {
        void operator()(std::uint32_t* words) const {
            ::operator delete[](words, std::align_val_t{LargePageBytes});
        }
    };
    std::size_t chunkSize() const { return perChunk * recordWords * sizeof(std::uint32_t); }
    bool paired() const { return 2 * chunkSize() <= LargePageBytes && 4 * chunkSize() >= LargePageBytes; }
    std::uint32_t* newChunk() {
        if (!paired()) {
            owned.push_back(uninitialisedWords(perChunk * recordWords));
            return owned.back().get();
        }
        // The second chunk of a large page is its second half.
        if (chunks.size() % 2 == 1)
            return pages.back().get() + LargePageBytes / 2 / sizeof(std::uint32_t);
        pages.emplace_back(
            static_cast<std::uint32_t*>(::operator new[](LargePageBytes, std::align_val_t{LargePageBytes})));
        adviseLargePages(pages.back().get(), LargePageBytes);
        return pages.back().get();
    }
    std::size_t recordWords;
    std::size_t perChunk;
    std::size_t count = 0;
    std::vector<std::uint32_t*> chunks;
    std::vector<std::unique_ptr<std::uint32_t[]>> owned;
    std::vector<std::unique_ptr<std::uint32_t[], FreeLargePage>> pages;
};

// Over pairs of words in four lanes side by side, so that the multiplications overlap: a state
// of a hundred words is hashed in a few dozen cycles. Where a state lands in the table does not
// change which states are equal.
std::uint64_t stateHash(const std::uint32_t* words, std::size_t count) {
    constexpr std::uint64_t Odd = 0x9E3779B97F4A7C15ull;
    auto mix = [](std::uint64_t v) { return (v ^ (v >> 32)) * Odd; };
    std::uint64_t lanes[4] = {count, 1, 2, 3};
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        for (std::size_t l = 0; l < 4; ++l) {
            std::uint64_t pair = 0;
            std::memcpy(&pair, words + i + 2 * l, sizeof pair);
            lanes[l] = mix(lanes[l] ^ pair);
        }
    }
    for (; i < count; ++i)
        lanes[i % 4] = mix(lanes[i % 4] ^ words[i]);
    std::uint64_t value = lanes[0];
    for (std::size_t l = 1; l < 4; ++l)
        value = mix(value ^ (lanes[l] << 21 | lanes[l] >> 43));
    return value ^ (value >> 29);
}

// What happened in a run of steps.
enum class Outcome { Going, Crossed, Lost };

// After a step: crossed when the player has left by the far edge, lost when it died or left
// by the edge it came in by.
Outcome outcomeNow(Way way) {
    if (world.player->state == Dying)
        return Outcome::Lost;
    if (world.roomChangePending)
        return world.entrySide == (way == Way::East ? 0 : 1) ? Outcome::Crossed : Outcome::Lost;
    return Outcome::Going;
}

// Steps still to run at the player's speed before the far edge.
float stepsToGo(Way way) {
    const Player& p = *world.player;
    const float left = way == Way::East ? RoomWidth - p.x : p.x + p.w;
    return std::max(0.0f, left) / RunSpeed;
}

// Whether the player's feet are on a lift's top, or it rides one: then Up and Down are offered.
bool atLift() {
    const Player& p = *world.player;
    if (p.state == RideLift)
        return true;
    if (p.state != Ground)
        return false;
    for (const ObjectRef& object : world.room->objects()) {
        if (object->kind() != ObjectKind::Lift)
            continue;
        const float top = object->y - object->h;
        if (p.x < object->x + object->w && p.x + p.w > object->x && std::fabs(p.y - top) < 0.5f)
            return true;
    }
    return false;
}

// A key script as held keys per step, from step 1 (`held` has steps + 1 entries, the first
// nothing), and the steps whose held keys differ from the step's before. Filled a run of equal
// steps at a time: a script has a few presses and thousands of steps.
void heldPerStep(const std::vector<KeyPress>& presses, int steps, std::vector<std::uint8_t>& held,
                 std::vector<int>& changes) {
    struct Event {
        int step;
        std::uint8_t key;
        bool down;
    };
    std::vector<Event> events;
    for (const KeyPress& press : presses) {
        const int down = std::max(press.down, 1);
        const int up = std::min(press.up, steps + 1);
        if (down >= up)
            continue;
        events.push_back({down, static_cast<std::uint8_t>(press.key), true});
        if (up <= steps)
            events.push_back({up, static_cast<std::uint8_t>(press.key), false});
    }
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.step < b.step; });
    held.assign(static_cast<std::size_t>(steps) + 1, 0);
    changes.clear();
    // How many presses hold each key's bit: presses of one key may overlap in a script made by hand.
    int holding[8] = {};
    std::uint8_t now = 0;
    int from = 1;
    for (std::size_t i = 0; i < events.size();) {
        const int step = events[i].step;
        std::fill(held.begin() + from, held.begin() + step, now);
        for (; i < events.size() && events[i].step == step; ++i) {
            for (int bit = 0; bit < 8; ++bit) {
                if ((events[i].key >> bit & 1) != 0)
                    holding[bit] += events[i].down ? 1 : -1;
            }
        }
        std::uint8_t next = 0;
        for (int bit = 0; bit < 8; ++bit)
            next |= static_cast<std::uint8_t>(holding[bit] > 0 ? 1 << bit : 0);
        if (next != now)
            changes.push_back(step);
        now = next;
        from = step;
    }
    std::fill(held.begin() + from, held.end(), now);
}

int lastEvent(const std::vector<KeyPress>& presses) {
    int last = 0;
    for (const KeyPress& press : presses)
        last = std::max({last, press.down, press.up == NeverReleased ? 0 : press.up});
    return last;
}

// How a script's run ended: the step `end` in which it crossed (then `crosses` is that step),
// died, came to a standstill or ran out of steps, in a run that checked for these from step
// `from`. Crossing and dying come in the same step however the run is started; a standstill is
// checked only from a run's first step of its own, so the end holds for a run that starts
// checking anywhere from `from` to `end`. 0: never run.
struct KnownRun {
    int from = 0;
    int end = 0;
    int crosses = 0;
};

// The runs of the scripts met, by their presses in step order.
class KnownRuns {
  public:
    KnownRun& find(const std::vector<KeyPress>& presses) {
        // Forgotten wholesale past a bound: it only saves running scripts again.
        if (runs.size() >= MostKept)
            runs.clear();
        std::vector<KeyPress> key = presses;
        std::sort(key.begin(), key.end(), [](const KeyPress& a, const KeyPress& b) {
            return std::tie(a.down, a.key, a.up) < std::tie(b.down, b.key, b.up);
        });
        return runs[std::move(key)];
    }

  private:
    static constexpr std::size_t MostKept = 1 << 16;
    struct Hash {
        std::size_t operator()(const std::vector<KeyPress>& presses) const {
            std::uint64_t h = 0xCBF29CE484222325ull;
            for (const KeyPress& p : presses) {
                for (const std::uint64_t part : {std::uint64_t{p.key}, static_cast<std::uint64_t>(p.down),
                                                 static_cast<std::uint64_t>(p.up)})
                    h = (h ^ part) * 0x100000001B3ull;
            }
            return static_cast<std::size_t>(h ^ (h >> 32));
        }
    };
    struct Same {
        bool operator()(const std::vector<KeyPress>& a, const std::vector<KeyPress>& b) const {
            return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                              [](const KeyPress& x, const KeyPress& y) {
                                  return x.key == y.key && x.down == y.down && x.up == y.up;
                              });
        }
    };
    std::unordered_map<std::vector<KeyPress>, KnownRun, Hash, Same> runs;
};

// Where runs of scripts were every CheckpointSteps steps, and how they ended from there: the step,
// the keys held and still to come and the world decide the rest of a run, so a run that comes to
// the same (compared word for word) ends as that one did. Each entry is the length of its key, the
// key's words (see RoomSearch::checkpointKey), then the end and the crossing step of that run (see
// KnownRun), kept in chunks that never move.
class Checkpoints {
  public:
    // Past `mostBytes`, all are forgotten: that only costs running steps again. An entry holds at
    // least 35 words, and the table at most four slots of 16 bytes for it, so two thirds of the
    // bytes go to the chunks.
    explicit Checkpoints(std::size_t mostBytes)
        : mostChunks(mostBytes / 3 * 2 / (ChunkWords * sizeof(std::uint32_t))) {}

    // The end and the crossing step of the run that met `key`, or null.
    const std::uint32_t* find(const std::vector<std::uint32_t>& key, std::uint64_t hash) const {
        if (slots.empty())
            return nullptr;
        const std::size_t mask = slots.size() - 1;
        for (std::size_t slot = hash & mask; slots[slot].entry != nullptr; slot = (slot + 1) & mask) {
            const std::uint32_t* entry = slots[slot].entry;
            if (slots[slot].hash == hash && entry[0] == key.size() &&
                std::equal(key.begin(), key.end(), entry + 1))
                return entry + 1 + key.size();
        }
        return nullptr;
    }

    void add(const std::uint32_t* key, std::size_t keySize, std::uint64_t hash, int end, int crosses) {
        const std::size_t size = keySize + 3;
        if (size > ChunkWords || mostChunks == 0)
            return;
        if (chunks.empty() || used + size > ChunkWords) {
            used = 0;
            if (!chunks.empty() && current + 1 < chunks.size()) {
                ++current;
            } else if (chunks.size() < mostChunks) {
                chunks.push_back(uninitialisedWords(ChunkWords));
                current = chunks.size() - 1;
            } else {
                // Full: everything is forgotten and the chunks are filled again from the first.
                std::fill(slots.begin(), slots.end(), Slot{});
                count = 0;
                current = 0;
            }
        }
        std::uint32_t* entry = chunks[current].get() + used;
        used += size;
        entry[0] = static_cast<std::uint32_t>(keySize);
        std::copy(key, key + keySize, entry + 1);
        entry[keySize + 1] = static_cast<std::uint32_t>(end);
        entry[keySize + 2] = static_cast<std::uint32_t>(crosses);
        if (2 * (count + 1) > slots.size()) {
            std::vector<Slot> wider(std::max<std::size_t>(1024, 2 * slots.size()));
            for (const Slot& old : slots) {
                if (old.entry != nullptr)
                    place(wider, old);
            }
            slots.swap(wider);
        }
        place(slots, {hash, entry});
        ++count;
    }

  private:
    static constexpr std::size_t ChunkWords = std::size_t{1} << 18;
    struct Slot {
        std::uint64_t hash = 0;
        const std::uint32_t* entry = nullptr;
    };
    static void place(std::vector<Slot>& table, const Slot& slot) {
        const std::size_t mask = table.size() - 1;
        std::size_t at = slot.hash & mask;
        while (table[at].entry != nullptr)
            at = (at + 1) & mask;
        table[at] = slot;
    }
    std::size_t mostChunks;
    std::vector<std::unique_ptr<std::uint32_t[]>> chunks;
    // The chunk being filled and the words used in it.
    std::size_t current = 0;
    std::size_t used = 0;
    std::vector<Slot> slots;
    std::size_t count = 0;
};

class RoomSearch {
  public:
    RoomSearch(Way way, const SearchBounds& bounds)
        : way(way), maxSteps(bounds.maxSteps), bounds(bounds), clock(bounds.progressSeconds) {}

    Crossing run() {
        started = std::chrono::steady_clock::now();
        saveWorld(start);
        keptEvery = keepEvery();
        const Crossing searched = searchStates();
        checkpointLayout.emplace(start);
        std::vector<Crossing> crossings;
        for (std::vector<KeyPress>& presses : found) {
            // A script that does not cross again would be a fault of the search; it is not kept.
            if (crossesAt(presses) != 0)
                crossings.push_back(simplify(std::move(presses)));
        }
        auto easier = [](const Crossing& a, const Crossing& b) {
            return a.tightestWindow != b.tightestWindow ? a.tightestWindow > b.tightestWindow
                                                        : a.steps < b.steps;
        };
        std::stable_sort(crossings.begin(), crossings.end(), easier);
        // The two easiest are made easier still, within a couple of seconds.
        const auto objects = static_cast<std::int64_t>(world.room ? world.room->objects().size() : 0);
        const std::int64_t deadline = stepsRun + std::min(ClimbSteps, ClimbObjectSteps / (objects + 1));
        for (std::size_t i = 0; i < crossings.size() && i < 2; ++i)
            crossings[i] = climb(std::move(crossings[i]), deadline);
        std::stable_sort(crossings.begin(), crossings.end(), easier);
        Crossing best = crossings.empty() ? Crossing{} : std::move(crossings.front());
        std::sort(best.presses.begin(), best.presses.end(), [](const KeyPress& a, const KeyPress& b) {
            return a.down != b.down ? a.down < b.down : a.key < b.key;
        });
        best.stop = best.found ? SearchStop::None : searched.stop;
        best.states = searched.states;
        best.reached = searched.reached;
        best.bytes = searched.bytes;
        best.bytesToStart = searched.bytesToStart;
        best.memoryLimit = bounds.memoryLimit;
        best.stateLimit = bounds.stateLimit;
        restoreWorld(start);
        best.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return best;
    }

    // What a search the system refused memory to had done, its storage given back.
    Crossing outOfMemory() {
        Crossing stopped;
        stopped.stop = SearchStop::OutOfMemory;
        stopped.memoryLimit = bounds.memoryLimit;
        stopped.stateLimit = bounds.stateLimit;
        stopped.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (store) {
            stopped.states = store->size();
            stopped.bytes = bytesHeld();
        }
        store.reset();
        std::vector<std::uint32_t>().swap(table);
        std::vector<Open>().swap(open);
        base = {};
        spare = {};
        knownRuns = {};
        checkpoints = Checkpoints(0);
        found.clear();
        layout = nullptr;
        return stopped;
    }

  private:
    // A state's record in the store: its hash (two words), its parent and its block and keys,
    // then the state's own words. Nodes are numbered from 1, the start; 0 is "no parent".
    static constexpr std::size_t NodeWords = 4;
    struct Node {
        std::uint64_t hash = 0;
        std::uint32_t parent = 0;
        std::uint16_t block = 0;
        std::uint8_t keys = 0;
    };
    struct Open {
        float cost = 0.0f;
        std::uint32_t node = 0;
        // Cheapest first; of equal ones the oldest, so the order never depends on the heap.
        bool operator<(const Open& other) const {
            return cost != other.cost ? cost > other.cost : node > other.node;
        }
    };
    enum class Added { New, Known, Full };

    Node nodeAt(std::uint32_t n) const {
        const std::uint32_t* r = (*store)[n - 1];
        return {r[0] | (static_cast<std::uint64_t>(r[1]) << 32), r[2],
                static_cast<std::uint16_t>(r[3] & 0xFFFF), static_cast<std::uint8_t>(r[3] >> 16)};
    }
    const std::uint32_t* stateAt(std::uint32_t n) const { return (*store)[n - 1] + NodeWords; }

    // The key presses of the blocks leading to `node`, then `lastKeys` held from the block after it.
    std::vector<KeyPress> scriptTo(std::uint32_t node, std::uint8_t lastKeys) const {
        std::vector<std::uint8_t> blocks{lastKeys};
        // Node 1 is the start, before the first block.
        for (std::uint32_t n = node; n > 1; n = nodeAt(n).parent)
            blocks.push_back(nodeAt(n).keys);
        std::reverse(blocks.begin(), blocks.end());
        std::vector<KeyPress> presses;
        for (const PlayerKey& key : PlayerKeys) {
            const std::uint32_t bit = key.bit;
            std::uint32_t previous = 0;
            for (std::size_t b = 0; b <= blocks.size(); ++b) {
                const std::uint32_t now = b < blocks.size() ? blocks[b] & bit : 0;
                const int step = static_cast<int>(b) * BlockSteps + 1;
                if (now != 0 && previous == 0)
                    presses.push_back({bit, step, NeverReleased});
                else if (now == 0 && previous != 0 && b < blocks.size())
                    presses.back().up = step;
                previous = now;
            }
        }
        std::sort(presses.begin(), presses.end(), [](const KeyPress& a, const KeyPress& b) {
            return a.down != b.down ? a.down < b.down : a.key < b.key;
        });
        return presses;
    }

    // What the search holds, as counted against its memory bound: the snapshots it works on,
    // the table and the queue (both counted at the size planned for the most states it may hold,
    // which they grow to as states come) and the store.
    std::size_t bytesHeld() const { return fixedBytes + store->bytes(); }

    // Finds the node holding the state in `scratch`, or adds it while the bounds allow.
    Added add(std::uint32_t parent, std::uint16_t block, std::uint8_t keys) {
        if (2 * (store->size() + 1) > table.size() && table.size() < plannedSlots)
            growTable();
        const std::size_t words = scratch.size();
        const std::uint64_t h = stateHash(scratch.data(), words);
        const std::size_t mask = table.size() - 1;
        const std::uint32_t tag = tagOf(h);
        std::size_t slot = h & mask;
        for (;; slot = (slot + 1) & mask) {
            const std::uint32_t there = table[slot];
            if (there == 0)
                break;
            // Most slots met hold another state: their tags differ, and their records stay unread.
            if ((there & ~nodeMask) != tag)
                continue;
            const std::uint32_t n = there & nodeMask;
            if (nodeAt(n).hash == h && std::equal(scratch.begin(), scratch.end(), stateAt(n)))
                return Added::Known;
        }
        if (store->size() >= mostStates || bytesHeld() + store->growth() > bounds.memoryLimit)
            return Added::Full;
        std::uint32_t* record = store->add();
        record[0] = static_cast<std::uint32_t>(h);
        record[1] = static_cast<std::uint32_t>(h >> 32);
        record[2] = parent;
        record[3] = static_cast<std::uint32_t>(block) | static_cast<std::uint32_t>(keys) << 16;
        std::copy(scratch.begin(), scratch.end(), record + NodeWords);
        table[slot] = static_cast<std::uint32_t>(store->size()) | tag;
        return Added::New;
    }

    // A slot of the table holds its node's number in the low bits (as many as the most states
    // need) and the top bits of the node's hash in the rest.
    std::uint32_t tagOf(std::uint64_t hash) const {
        return nodeMask == ~std::uint32_t{0} ? 0 : static_cast<std::uint32_t>(hash >> 32) & ~nodeMask;
    }

    // Doubles the table, kept at most half full: a small table stays in the cache, and a search
    // of a few states never touches the pages of one planned for a million and a half.
    void growTable() {
        std::vector<std::uint32_t> wider(std::min(plannedSlots, 2 * table.size()), 0);
        const std::size_t mask = wider.size() - 1;
        for (std::uint32_t n = 1; n <= store->size(); ++n) {
            const std::uint64_t hash = nodeAt(n).hash;
            std::size_t slot = hash & mask;
            while (wider[slot] != 0)
                slot = (slot + 1) & mask;
            wider[slot] = n | tagOf(hash);
        }
        table.swap(wider);
    }

    // Sizes the table and the queue for the most states both bounds allow. False when not even
    // the first state fits in the memory bound.
    bool plan(std::size_t stateWords, Crossing& result) {
        const std::size_t stateBytes = stateWords * sizeof(std::uint32_t);
        const std::size_t recordBytes = (NodeWords + stateWords) * sizeof(std::uint32_t);
        // The start, the state being expanded, the state after a block and its words.
        const std::size_t snapshots = 4 * (stateBytes + sizeof(WorldSnapshot));
        // A record, its place in the queue, and up to four table slots (half full at most,
        // rounded up to a power of two).
        const std::size_t perState = recordBytes + sizeof(Open) + 4 * sizeof(std::uint32_t);
        const std::size_t room = bounds.memoryLimit > snapshots ? bounds.memoryLimit - snapshots : 0;
        // An expansion adds up to eight states past the state bound.
        mostStates = std::min(bounds.stateLimit + 8, room / perState);
        std::size_t slots = 16;
        while (slots < 2 * mostStates)
            slots *= 2;
        fixedBytes = snapshots + slots * sizeof(std::uint32_t) + mostStates * sizeof(Open);
        // Chunks small against the bound, so that the bound is met within a sixteenth of it.
        store.emplace(NodeWords + stateWords, std::min<std::size_t>(1 << 20, bounds.memoryLimit / 16));
        if (mostStates == 0 || fixedBytes + store->growth() > bounds.memoryLimit) {
            result.stop = SearchStop::FirstState;
            result.bytesToStart = fixedBytes + std::max(store->growth(), recordBytes + perState);
            return false;
        }
        plannedSlots = slots;
        nodeMask = ~std::uint32_t{0};
        while (nodeMask >> 1 >= mostStates && nodeMask >> 1 != 0)
            nodeMask >>= 1;
        table.assign(std::min<std::size_t>(slots, 1 << 12), 0);
        open.reserve(mostStates);
        return true;
    }

    void report() {
        if (bounds.progress == nullptr || !clock.due())
            return;
        std::ostringstream line;
        line.precision(1);
        line << std::fixed << bounds.progressLabel << ": ";
        if (store)
            line << store->size() << " states, " << static_cast<double>(bytesHeld()) / (1 << 20) << " of "
                 << static_cast<double>(bounds.memoryLimit) / (1 << 20) << " MiB held, ";
        else
            line << found.size() << (found.size() == 1 ? " crossing" : " crossings")
                 << " found, making the easiest easier: " << stepsRun << " steps re-run, ";
        line << clock.seconds() << " s\n";
        *bounds.progress << line.str() << std::flush;
    }

    Crossing searchStates() {
        Crossing result;
        StateLayout shape(start);
        layout = &shape;
        if (!plan(layout->words, result)) {
            layout = nullptr;
            store.reset();
            return result;
        }
        scratch.assign(layout->words, 0);
        layout->put(start, 0, scratch.data());
        if (add(0, 0, 0) != Added::New) {
            result.stop = SearchStop::FirstState;
            result.bytesToStart = bytesHeld() + store->growth();
        } else {
            noteReached();
            open.push_back({stepsToGo(way) * Greed, 1});
            expand(result);
        }
        result.states = store->size();
        for (int x = 0; x < ReachWide; ++x)
            for (int y = 0; y < ReachHigh; ++y)
                if (reachedCells[static_cast<std::size_t>(x) * ReachHigh + static_cast<std::size_t>(y)] != 0)
                    result.reached.push_back({x, y});
        result.bytes = bytesHeld();
        // The states are not needed again.
        store.reset();
        std::vector<std::uint32_t>().swap(table);
        std::vector<Open>().swap(open);
        layout = nullptr;
        return result;
    }

    void expand(Crossing& result) {
        WorldSnapshot state;
        WorldSnapshot after;
        std::size_t foundAt = 0;
        while (!open.empty()) {
            report();
            if (store->size() >= bounds.stateLimit) {
                if (found.empty())
                    result.stop = SearchStop::States;
                return;
            }
            if (!found.empty() && (found.size() >= CrossingsCompared || store->size() > foundAt * 2 + 20000))
                return;
            std::pop_heap(open.begin(), open.end());
            const std::uint32_t n = open.back().node;
            open.pop_back();
            const Node node = nodeAt(n);
            const std::uint32_t held = layout->take(stateAt(n), state);
            const int firstStep = node.block * BlockSteps + 1;
            if (firstStep > maxSteps)
                continue;
            // A room file changed under the search: it cannot go on, and cannot say "no crossing".
            if (!restoreWorld(state)) {
                if (found.empty())
                    result.stop = SearchStop::RoomChanged;
                return;
            }
            const bool lift = atLift();
            std::uint8_t actions[8];
            std::size_t count = 0;
            for (const std::uint8_t a : BaseActions)
                actions[count++] = a;
            if (lift) {
                for (const std::uint8_t a : LiftActions)
                    actions[count++] = a;
            }
            for (std::size_t i = 0; i < count; ++i) {
                if (i > 0)
                    restoreWorld(state);
                std::uint32_t keys = held;
                Outcome outcome = Outcome::Going;
                int step = firstStep;
                for (int k = 0; k < BlockSteps && step <= maxSteps && outcome == Outcome::Going;
                     ++k, ++step) {
                    stepWorld(keys, actions[i]);
                    outcome = outcomeNow(way);
                }
                if (outcome == Outcome::Crossed) {
                    if (found.empty()) {
                        result.found = true;
                        foundAt = store->size();
                    }
                    found.push_back(scriptTo(n, actions[i]));
                    continue;
                }
                if (outcome == Outcome::Lost || step - 1 < firstStep + BlockSteps - 1)
                    continue;
                saveWorld(after);
                if (!layout->fits(after))
                    continue;
                layout->put(after, keys, scratch.data());
                const std::uint16_t block = static_cast<std::uint16_t>(node.block + 1);
                const Added added = add(n, block, actions[i]);
                if (added == Added::Full) {
                    if (found.empty())
                        result.stop =
                            store->size() >= bounds.stateLimit ? SearchStop::States : SearchStop::Memory;
                    return;
                }
                if (added == Added::Known)
                    continue;
                noteReached();
                const float cost = static_cast<float>(block * BlockSteps) + Greed * stepsToGo(way);
                open.push_back({cost, static_cast<std::uint32_t>(store->size())});
                std::push_heap(open.begin(), open.end());
            }
        }
    }

    // The cell of the room that the player's box's bottom-left corner is in, noted as reached.
    // What lies outside the room (the player leaving, or falling out) is not a place in it.
    void noteReached() {
        const Player& p = *world.player;
        const float x = std::floor(p.x);
        const float y = std::ceil(p.y);
        if (x >= 0.0f && x < static_cast<float>(ReachWide) && y >= 0.0f && y < static_cast<float>(ReachHigh))
            reachedCells[static_cast<std::size_t>(x) * ReachHigh + static_cast<std::size_t>(y)] = 1;
    }

    // The share of the memory bound the checkpoints of runs may hold.
    std::size_t checkpointBytes() const { return bounds.memoryLimit / 8; }

    // How many steps apart the states of a recorded script are kept (see record): every step,
    // unless a minute of snapshots (with the checkpoints) would pass the memory bound.
    std::size_t keepEvery() const {
        const std::size_t each =
            start.robots.size() * sizeof(RobotSnapshot) + start.lifts.size() * sizeof(LiftSnapshot) +
            start.searchables.size() * sizeof(SearchableSnapshot) + sizeof(WorldSnapshot);
        // The start and the world's own snapshot besides those kept, of two recordings.
        const std::size_t held = (bounds.memoryLimit - checkpointBytes()) / 2;
        const std::size_t room = held / each > 2 ? held / each - 2 : 1;
        const std::size_t steps = static_cast<std::size_t>(maxSteps) + 1;
        return (steps + room - 1) / room;
    }

    // The step in which the script crosses from the start, or 0. The steps it shares with the
    // script last recorded (see record) are not run again: it starts from the recorded state
    // kept last before the first step whose held keys differ, and only the steps from there on
    // count as run, so the answer does not depend on how often states were kept. What is known
    // without running is counted as if run, so that the climb's budget is spent the same way.
    int crossesAt(const std::vector<KeyPress>& presses, bool recording = false) {
        report();
        std::vector<std::uint8_t>& held = heldNow;
        heldPerStep(presses, maxSteps, held, changes);
        int from = 1;
        if (!recording && base.crosses != 0) {
            while (from <= base.crosses &&
                   held[static_cast<std::size_t>(from)] == base.held[static_cast<std::size_t>(from)])
                ++from;
            if (from > base.crosses)
                return base.crosses;
        }
        const int last = lastEvent(presses);
        KnownRun& known = knownRuns.find(presses);
        if (!recording && known.end != 0 && known.from <= from && from <= known.end) {
            stepsRun += known.end - from + 1;
            return known.crosses;
        }
        const int every = static_cast<int>(keptEvery);
        int at = 1;
        if (from == 1) {
            restoreWorld(start);
        } else {
            const std::size_t kept = static_cast<std::size_t>((from - 1) / every);
            at = static_cast<int>(kept) * every + 1;
            restoreWorld(base.states[kept]);
        }
        // From step `agree` to its crossing the recorded script holds the same keys.
        int agree = maxSteps + 1;
        if (recording) {
            base.held = held;
            base.crosses = 0;
            base.last = last;
            base.states.resize(static_cast<std::size_t>(maxSteps - 1) / keptEvery + 1);
        } else if (base.crosses != 0) {
            agree = base.crosses + 1;
            while (agree > from && held[static_cast<std::size_t>(agree - 1)] ==
                                       base.held[static_cast<std::size_t>(agree - 1)])
                --agree;
        }
        // The checkpoints this run meets.
        std::size_t nextChange = 0;
        met.clear();
        metEnds.clear();
        metHashes.clear();
        std::uint32_t keys = held[static_cast<std::size_t>(at - 1)];
        int end = maxSteps;
        int crosses = 0;
        for (int s = at; s <= maxSteps; ++s) {
            if (recording && (s - 1) % every == 0)
                saveWorld(base.states[static_cast<std::size_t>((s - 1) / every)]);
            stepWorld(keys, held[static_cast<std::size_t>(s)]);
            // Before `from` the steps are the recorded script's, which went on to cross.
            if (s < from)
                continue;
            ++stepsRun;
            const Outcome outcome = outcomeNow(way);
            if (outcome == Outcome::Crossed) {
                end = crosses = s;
                break;
            }
            if (outcome == Outcome::Lost) {
                end = s;
                break;
            }
            // Standing with nothing held and nothing more to come, the player stays put.
            if (s > last && keys == 0 && world.player->state == Ground &&
                world.player->x == world.player->prevX && world.player->y == world.player->prevY) {
                end = s;
                break;
            }
            // Back in the recorded script's state with its keys still to come, it crosses where
            // that one did, provided the standstill above cannot stop it where it did not stop
            // the recorded one.
            if (s >= agree && s < base.crosses && s % every == 0 &&
                (last >= base.last || std::max(last, base.last) <= s) &&
                rejoins(base.states[static_cast<std::size_t>(s / every)])) {
                stepsRun += base.crosses - s;
                end = crosses = base.crosses;
                break;
            }
            if (s % CheckpointSteps == 0) {
                while (nextChange < changes.size() && changes[nextChange] <= s)
                    ++nextChange;
                if (!checkpointKey(s, held, last, nextChange))
                    continue;
                const std::uint64_t hash = stateHash(key.data(), key.size());
                // A recording run goes on to keep every state.
                const std::uint32_t* ended = recording ? nullptr : checkpoints.find(key, hash);
                if (ended != nullptr) {
                    end = static_cast<int>(ended[0]);
                    crosses = static_cast<int>(ended[1]);
                    stepsRun += end - s;
                    break;
                }
                metHashes.push_back(hash);
                met.insert(met.end(), key.begin(), key.end());
                metEnds.push_back(met.size());
            }
        }
        for (std::size_t i = 0, begin = 0; i < metHashes.size(); begin = metEnds[i++])
            checkpoints.add(met.data() + begin, metEnds[i] - begin, metHashes[i], end, crosses);
        if (recording) {
            base.crosses = crosses;
            base.presses = presses;
            base.counted = end;
        }
        known = {from, end, crosses};
        return crosses;
    }

    // The key of a checkpoint in `key`: the step, the keys held in it, the last key event when it
    // is still to come (the standstill waits for it), the changes of the held keys still to come
    // and the world. False when the world no longer fits the layout (it always does before a
    // crossing).
    bool checkpointKey(int s, const std::vector<std::uint8_t>& held, int last, std::size_t nextChange) {
        saveWorld(probe);
        if (!checkpointLayout->fits(probe))
            return false;
        key.clear();
        key.push_back(static_cast<std::uint32_t>(s));
        key.push_back(held[static_cast<std::size_t>(s)]);
        key.push_back(static_cast<std::uint32_t>(last > s ? last : 0));
        key.push_back(static_cast<std::uint32_t>(changes.size() - nextChange));
        for (std::size_t i = nextChange; i < changes.size(); ++i) {
            key.push_back(static_cast<std::uint32_t>(changes[i]));
            key.push_back(held[static_cast<std::size_t>(changes[i])]);
        }
        const std::size_t at = key.size();
        key.resize(at + checkpointLayout->words);
        checkpointLayout->put(probe, held[static_cast<std::size_t>(s)], key.data() + at);
        return true;
    }

    // Whether the world is the recorded one.
    bool rejoins(const WorldSnapshot& recorded) {
        const Player& p = *world.player;
        if (p.x != recorded.player.x || p.y != recorded.player.y)
            return false;
        saveWorld(probe);
        return probe == recorded;
    }

    // Runs the script and keeps the state before each of its steps, for the variants of it that
    // crossesAt is asked about next.
    // The script recorded before the last is taken back rather than run again; its steps count
    // as run, as a run would count them.
    void record(const std::vector<KeyPress>& presses) {
        std::swap(base, spare);
        if (base.counted != 0 && samePresses(base.presses, presses)) {
            report();
            stepsRun += base.counted;
            knownRuns.find(presses) = {1, base.counted, base.crosses};
            return;
        }
        crossesAt(presses, true);
    }

    static bool samePresses(const std::vector<KeyPress>& a, const std::vector<KeyPress>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const KeyPress& x, const KeyPress& y) {
            return x.key == y.key && x.down == y.down && x.up == y.up;
        });
    }

    // Whether `p` could stand in for press `i`: held from step 1 on for at least one step, and
    // clear of the other presses of its key.
    static bool fits(const std::vector<KeyPress>& presses, std::size_t i, const KeyPress& p) {
        if (p.down < 1 || p.up <= p.down)
            return false;
        for (std::size_t j = 0; j < presses.size(); ++j) {
            if (j == i || presses[j].key != p.key)
                continue;
            if (!(p.up < presses[j].down || presses[j].up < p.down))
                return false;
        }
        return true;
    }

    static bool isScript(const std::vector<KeyPress>& presses) {
        for (std::size_t i = 0; i < presses.size(); ++i) {
            if (!fits(presses, i, presses[i]))
                return false;
        }
        return true;
    }

    // One key event of a script: the press of presses[press] or, with `release`, its let-go.
    struct Event {
        std::size_t press = 0;
        bool release = false;
    };

    static std::vector<Event> eventsOf(const std::vector<KeyPress>& presses) {
        std::vector<Event> events;
        for (std::size_t i = 0; i < presses.size(); ++i) {
            events.push_back({i, false});
            if (presses[i].up != NeverReleased)
                events.push_back({i, true});
        }
        return events;
    }

    static int stepOf(const std::vector<KeyPress>& presses, Event e) {
        return e.release ? presses[e.press].up : presses[e.press].down;
    }

    // Moves one event alone by `shift` steps. False, with `presses` unchanged, when its press
    // would no longer be a press of its own.
    static bool moveEvent(std::vector<KeyPress>& presses, Event e, int shift) {
        KeyPress p = presses[e.press];
        (e.release ? p.up : p.down) += shift;
        if (!fits(presses, e.press, p))
            return false;
        presses[e.press] = p;
        return true;
    }

    struct Window {
        int before = 0;
        int after = 0;
        int size() const { return before + after + 1; }
    };

    // The window of one event, the rest of the script fixed: the steps it could move to, one
    // at a time each way from its own, while the script still crosses; counted until it
    // reaches `enough` steps.
    Window windowOf(const std::vector<KeyPress>& presses, Event e, int enough) {
        Window w;
        std::vector<KeyPress> moved;
        for (const int direction : {1, -1}) {
            int& count = direction < 0 ? w.before : w.after;
            for (int d = 1; d <= MostWindowShift && w.size() < enough; ++d) {
                moved = presses;
                if (!moveEvent(moved, e, direction * d) || crossesAt(moved) == 0)
                    break;
                count = d;
            }
        }
        return w;
    }

    // Fills in the crossing's tightest window (counted up to `enough`) and returns how many
    // events share it. An event is measured only until it is wider than the tightest so far.
    int measure(Crossing& c, int enough) {
        record(c.presses);
        int tightest = 0;
        int atTightest = 0;
        for (const Event e : eventsOf(c.presses)) {
            const Window w =
                windowOf(c.presses, e, atTightest == 0 ? enough : std::min(enough, tightest + 1));
            const int size = w.size();
            if (atTightest == 0 || size < tightest) {
                tightest = size;
                atTightest = 1;
                c.tightestAt = stepOf(c.presses, e);
                c.tightestKey = c.presses[e.press].key;
                c.tightestRelease = e.release;
                tightestEvent = e;
                tightestSpan = w;
            } else if (size == tightest) {
                ++atTightest;
            }
        }
        c.tightestWindow = tightest;
        if (atTightest == 0) {
            c.tightestAt = 0;
            c.tightestKey = 0;
            c.tightestRelease = false;
        }
        return atTightest;
    }

    // A found script made plainer: presses it does not need are dropped and presses of one key
    // that follow each other are joined, while it still crosses.
    Crossing simplify(std::vector<KeyPress> presses) {
        for (bool changed = true; changed;) {
            changed = false;
            for (std::size_t i = 0; i < presses.size(); ++i) {
                std::vector<KeyPress> fewer = presses;
                fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
                if (crossesAt(fewer) != 0) {
                    presses = std::move(fewer);
                    changed = true;
                    --i;
                    continue;
                }
                for (std::size_t j = i + 1; j < presses.size(); ++j) {
                    if (presses[j].key != presses[i].key)
                        continue;
                    std::vector<KeyPress> joined = presses;
                    joined[i].up = joined[j].up;
                    joined.erase(joined.begin() + static_cast<std::ptrdiff_t>(j));
                    if (crossesAt(joined) != 0) {
                        presses = std::move(joined);
                        changed = true;
                    }
                    break;
                }
            }
        }
        Crossing c;
        c.found = true;
        c.presses = std::move(presses);
        c.steps = crossesAt(c.presses);
        measure(c, MostWindowSteps);
        return c;
    }

    // How climb changes a script around one event.
    enum class Move {
        // The event alone.
        Event,
        // The event and every event after it: waiting longer, or less, before it.
        Rest,
        // The event's whole press, its release moving with it.
        Press,
        // The press dropped and every event after it moved, as waiting in its place.
        Drop,
    };

    // The script with `move` made at event `e` by `shift` steps; false when it is no script.
    static bool moved(const std::vector<KeyPress>& presses, Event e, Move move, int shift,
                      std::vector<KeyPress>& out) {
        out = presses;
        const int from = stepOf(presses, e);
        auto shifted = [&](int& step, bool own) {
            if (step != NeverReleased && (own || (move != Move::Event && move != Move::Press && step > from)))
                step += shift;
        };
        for (std::size_t j = 0; j < out.size(); ++j) {
            const bool mine = j == e.press;
            shifted(out[j].down, mine && (move == Move::Press || (move != Move::Drop && !e.release)));
            shifted(out[j].up, mine && (move == Move::Press || (move != Move::Drop && e.release)));
        }
        if (move == Move::Drop)
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(e.press));
        return isScript(out);
    }

    // Makes the crossing easier by moving its events a few steps at a time (see Move) while that
    // widens the tightest window (or leaves fewer events at it), until no move helps or the
    // steps run reach `deadline`.
    Crossing climb(Crossing c, std::int64_t deadline) {
        int atTightest = measure(c, MostWindowSteps);
        std::vector<KeyPress> script;
        // Whether the move makes the crossing easier; then it is kept.
        auto easier = [&](Event e, Move move, int shift) {
            if (!moved(c.presses, e, move, shift, script))
                return false;
            Crossing next = c;
            next.presses = script;
            if ((next.steps = crossesAt(next.presses)) == 0)
                return false;
            const int nextAt = measure(next, c.tightestWindow + 1);
            record(c.presses);
            if (next.tightestWindow < c.tightestWindow ||
                (next.tightestWindow == c.tightestWindow && nextAt >= atTightest))
                return false;
            c = std::move(next);
            atTightest = measure(c, MostWindowSteps);
            return true;
        };
        // A window as wide as it is counted cannot be widened.
        while (stepsRun < deadline && c.tightestWindow < MostWindowSteps) {
            // First the tightest event to the middle of its window, then event by event.
            const int centre = (tightestSpan.after - tightestSpan.before) / 2;
            bool better = centre != 0 && easier(tightestEvent, Move::Event, centre);
            const std::vector<Event> events = eventsOf(c.presses);
            for (std::size_t i = 0; i < events.size() && !better && stepsRun < deadline; ++i) {
                for (const Move move : {Move::Event, Move::Rest, Move::Press, Move::Drop}) {
                    // A press is moved whole, or dropped, from its down event only.
                    if ((move == Move::Press || move == Move::Drop) && events[i].release)
                        continue;
                    for (const int shift : {-8, -4, -2, -1, 1, 2, 4, 8, 12, 16}) {
                        if ((better = easier(events[i], move, shift)) || stepsRun >= deadline)
                            break;
                    }
                    if (better || stepsRun >= deadline)
                        break;
                }
            }
            if (!better)
                break;
        }
        return c;
    }

    // The cells a player's box corner can stand in: its bottom edge reaches the room's.
    static constexpr int ReachWide = static_cast<int>(RoomWidth);
    static constexpr int ReachHigh = static_cast<int>(RoomHeight) + 1;

    Way way;
    int maxSteps;
    SearchBounds bounds;
    ProgressClock clock;
    std::chrono::steady_clock::time_point started;
    WorldSnapshot start;
    const StateLayout* layout = nullptr;
    std::vector<std::uint32_t> scratch;
    std::optional<StateStore> store;
    std::vector<std::uint32_t> table;
    std::size_t plannedSlots = 0;
    // The bits of a table slot that hold its node's number (see tagOf).
    std::uint32_t nodeMask = ~std::uint32_t{0};
    // The states still to look at, a heap.
    std::vector<Open> open;
    std::size_t mostStates = 0;
    std::size_t fixedBytes = 0;
    // How many steps apart record keeps the states of a script.
    std::size_t keptEvery = 1;
    std::vector<std::vector<KeyPress>> found;
    // The cells the player stood in, ReachHigh a column (see noteReached).
    std::vector<std::uint8_t> reachedCells = std::vector<std::uint8_t>(ReachWide * ReachHigh, 0);
    // Steps the scripts have been re-run for.
    std::int64_t stepsRun = 0;
    // A recorded script: its presses, its held keys per step, the state before every
    // keptEvery-th step (from step 1), the step it crosses in (0: none), its last key event
    // and the steps its run counted.
    struct Recording {
        std::vector<KeyPress> presses;
        std::vector<std::uint8_t> held;
        std::vector<WorldSnapshot> states;
        int crosses = 0;
        int last = 0;
        int counted = 0;
    };
    // The script last recorded, the one crossesAt starts from, and the one recorded before it:
    // the climb records a script and its variant in turns.
    Recording base;
    Recording spare;
    // The world saved to be compared with a recorded state.
    WorldSnapshot probe;
    KnownRuns knownRuns;
    Checkpoints checkpoints{checkpointBytes()};
    // The words of a world for the checkpoints.
    std::optional<StateLayout> checkpointLayout;
    // Scratch for crossesAt: the held keys of the script run, the steps where they change, a
    // checkpoint's key, and the keys of the checkpoints met (one after the other, each ending at
    // its metEnds) with their hashes.
    std::vector<std::uint8_t> heldNow;
    std::vector<int> changes;
    std::vector<std::uint32_t> key;
    std::vector<std::uint32_t> met;
    std::vector<std::size_t> metEnds;
    std::vector<std::uint64_t> metHashes;
    // The tightest event of the crossing last measured, and its window.
    Event tightestEvent;
    Window tightestSpan;
};

const char* wayName(Way way) {
    return way == Way::East ? "east" : "west";
}

// The key script's name of a player key's bit.
const char* keyName(std::uint32_t bit) {
    for (const PlayerKey& key : PlayerKeys) {
        if (key.bit == bit)
            return keyNameForCode(key.code);
    }
    return keyNameForCode(KeyCodeSpace);
}

} // namespace

namespace {

// The search, with the system's own refusal of memory (below the bound) a stop, not a throw.
Crossing searchRoom(Way way, const SearchBounds& bounds) {
    RoomSearch search(way, bounds);
    try {
        return search.run();
    } catch (const std::bad_alloc&) {
        return search.outOfMemory();
    }
}

// Enters the room as `enter` does: false, with `error` set, when it cannot be read or held.
template <class Enter> bool enterRoom(GameSetup& game, std::string& error, Enter enter) {
    try {
        game.restart();
        if (!game.loadWorld()) {
            error = game.error();
            return false;
        }
        return enter();
    } catch (const std::bad_alloc&) {
        error = "out of memory reading the room";
        return false;
    }
}

} // namespace

Crossing solveRoom(GameSetup& game, int room, Way way, const SearchBounds& bounds, std::string& error) {
    if (!enterRoom(game, error, [&] {
            if (game.enterStartRoom(StartRoom{room, way == Way::East ? 0 : 1}))
                return true;
            error = game.error();
            return false;
        }))
        return {};
    return searchRoom(way, bounds);
}

namespace {

bool enterRoomFile(GameSetup& game, const std::string& roomFile, Way way, std::string& error) {
    return enterRoom(game, error, [&] {
        world.roomFiles[0] = roomFile;
        if (enterRingRoom(0, way == Way::East ? 0 : 1))
            return true;
        error = "cannot read \"" + roomFile + "\"";
        return false;
    });
}

} // namespace

Crossing solveRoomFile(GameSetup& game, const std::string& roomFile, Way way, const SearchBounds& bounds,
                       std::string& error) {
    if (!enterRoomFile(game, roomFile, way, error))
        return {};
    return searchRoom(way, bounds);
}

std::vector<PathPoint> crossingPath(GameSetup& game, const std::string& roomFile, Way way,
                                    const Crossing& crossing, int every, std::string& error) {
    std::vector<PathPoint> path;
    if (!crossing.found || every < 1 || !enterRoomFile(game, roomFile, way, error))
        return path;
    std::vector<std::uint8_t> held;
    std::vector<int> changes;
    heldPerStep(crossing.presses, crossing.steps, held, changes);
    std::uint32_t keys = 0;
    path.push_back({world.player->x, world.player->y});
    for (int s = 1; s <= crossing.steps; ++s) {
        stepWorld(keys, held[static_cast<std::size_t>(s)]);
        if (s % every == 0 || s == crossing.steps)
            path.push_back({world.player->x, world.player->y});
    }
    return path;
}

std::string keyScriptText(const std::vector<KeyPress>& presses, const std::string& heading) {
    struct Event {
        int step;
        std::uint32_t key;
        bool down;
    };
    std::vector<Event> events;
    for (const KeyPress& p : presses) {
        events.push_back({p.down, p.key, true});
        if (p.up != NeverReleased)
            events.push_back({p.up, p.key, false});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.step != b.step ? a.step < b.step : a.key < b.key;
    });
    std::string text = "# " + heading + "\n";
    for (const Event& e : events)
        text += std::to_string(e.step) + " " + keyName(e.key) + (e.down ? " down\n" : " up\n");
    return text;
}

std::string crossingLine(int room, Way way, const Crossing& crossing, int maxSteps) {
    return crossingLine("room " + std::to_string(room), way, crossing, maxSteps);
}

std::string crossingLine(const std::string& label, Way way, const Crossing& crossing, int maxSteps) {
    std::string line = label + " " + wayName(way) + ": ";
    if (crossing.found) {
        line += "crossed in " + std::to_string(crossing.steps) + " steps, ";
        if (crossing.presses.empty())
            line += "no key pressed";
        else
            line += "tightest window " + tightestText(crossing);
    } else if (crossing.stopped()) {
        line += stoppedText(crossing);
    } else {
        line += "no crossing within " + std::to_string(maxSteps) + " steps (" +
                std::to_string(crossing.states) + " states searched)";
    }
    return line;
}

namespace {

// "W steps (BEFOREKEY down|up at step T)".
std::string windowText(const Crossing& crossing, const std::string& before) {
    return std::to_string(crossing.tightestWindow) + " steps (" + before + keyName(crossing.tightestKey) +
           (crossing.tightestRelease ? " up" : " down") + " at step " + std::to_string(crossing.tightestAt) +
           ")";
}

} // namespace

std::string tightestText(const Crossing& crossing) {
    return windowText(crossing, "");
}

std::string roomLine(int room, const Crossing& east, const Crossing& west) {
    const std::string start = "room " + std::to_string(room) + ": ";
    const bool eastPressed = !east.presses.empty();
    const bool westPressed = !west.presses.empty();
    if (!eastPressed && !westPressed)
        return start + "no key pressed either way";
    const bool eastTighter = eastPressed && (!westPressed || east.tightestWindow <= west.tightestWindow);
    return start + "tightest window " +
           windowText(eastTighter ? east : west,
                      std::string(wayName(eastTighter ? Way::East : Way::West)) + ", ");
}

std::string answerLine(Way way, const Crossing& crossing, int maxSteps) {
    std::string line = std::string("answer ") + wayName(way) + " ";
    if (crossing.found)
        return line + "crossed " + std::to_string(crossing.steps) + " " +
               std::to_string(crossing.tightestWindow) + " " +
               (crossing.presses.empty() ? "none" : keyName(crossing.tightestKey)) +
               (crossing.tightestRelease ? " up " : " down ") + std::to_string(crossing.tightestAt);
    if (crossing.stopped())
        return line + "stopped " + stoppedText(crossing);
    return line + "not-crossed " + std::to_string(maxSteps) + " " + std::to_string(crossing.states);
}

std::string reachedLines(Way way, const Crossing& crossing) {
    std::string lines;
    for (const ReachedCell& cell : crossing.reached)
        lines += std::string("reached ") + wayName(way) + " " + std::to_string(cell.x) + " " +
                 std::to_string(cell.y) + "\n";
    return lines;
}

std::string stoppedText(const Crossing& crossing) {
    std::string after = "search stopped after " + std::to_string(crossing.states) + " states: ";
    const std::string mib = std::to_string(crossing.memoryLimit >> 20) + " MiB";
    switch (crossing.stop) {
    case SearchStop::States:
        return after + "the bound of " + std::to_string(crossing.stateLimit) + " states was reached";
    case SearchStop::Memory:
        return after + "the next would pass the memory bound of " + mib + " (" +
               std::to_string(crossing.bytes) + " bytes held)";
    case SearchStop::FirstState:
        return "search stopped before the first state: it needs " + std::to_string(crossing.bytesToStart) +
               " bytes to start, past the memory bound of " + mib;
    case SearchStop::RoomChanged:
        return after + "a room file changed under the search";
    case SearchStop::OutOfMemory:
        return after + "out of memory below the memory bound of " + mib + " (" +
               std::to_string(crossing.bytes) + " bytes held)";
    case SearchStop::None:
        break;
    }
    return after;
}
