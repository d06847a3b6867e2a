// The command line of marrowgast-solve.
#include "tools/common/Solver.h"

#include "app/CommandLine.h"
#include "app/GameSetup.h"
#include "definitions/NumberText.h"
#include "definitions/Quoted.h"
#include "game/WorldOperations.h"
#include "platform/OutputFile.h"

#include <charconv>
#include <filesystem>
#include <ostream>
#include <sstream>

namespace {

const CommandLineProgram Program{
    "marrowgast-solve",
    "usage: marrowgast-solve [--root DIR] [--room N | --room-file FILE]... [--way east|west]...\n"
    "                        [--max-steps M] [--max-memory MiB] [--keys-out DIR] [--reach]\n"
    "                        [--lines] [--version]\n"
    "Searches the game's own simulation for a key script that crosses each room (default all\n"
    "four) each way (default both): east from the left entry point out at the right edge, west\n"
    "the mirror, without dying, within M steps (default 3600, a minute).\n",
    {
        {"--root", "DIR", "the folder that holds res/; without it the data is looked for as the game does"},
        {"--room", "N", "search room N of the ring (1 to 4); may be given again for more rooms"},
        {"--room-file", "FILE",
         "search the room in FILE (any room file, with the sets and images of the root's res/)\n"
         "instead of the ring's rooms; its crossings are named by FILE"},
        {"--way", "WAY", "search east or west only; may be given again"},
        {"--max-steps", "M", "the longest crossing searched for, in steps (1 to 100000, default 3600)"},
        {"--max-memory", "MiB", "the memory one search may hold (default 1024)"},
        {"--keys-out", "DIR",
         "write each crossing as DIR/roomN-east.keys or roomN-west.keys (with --room-file,\n"
         "DIR/east.keys or DIR/west.keys), for marrowgast-replay --room N --side left|right --keys FILE"},
        {"--reach", "", "print the player's reach; with --room or --way, search those too"},
        {"--lines", "",
         "for a program that reads the answers (the room editor): with --room-file, each way's\n"
         "answer as \"answer WAY crossed STEPS WINDOW KEY down|up STEP\", \"answer WAY not-crossed\n"
         "MAXSTEPS STATES\" or \"answer WAY stopped REASON\", a crossing's path as \"path WAY X Y\"\n"
         "lines, where the hero stands every 8 steps, and where none was found, the places the\n"
         "player reached as \"reached WAY X Y\" lines (the unit cells of its box's bottom-left corner)"},
    },
    "The input model: the held keys change only every 4 steps (steps 1, 5, 9, ...), to one of\n"
    "nothing, Left or Right, each with or without Space, or, while the player stands on or rides\n"
    "a lift, Up or Down alone. World states met twice are searched once, so \"no crossing\" means\n"
    "none exists in that model within M steps. A search stops, and says \"search stopped\" and\n"
    "why, when it holds 1500000 states or when its states, their table and its snapshots would\n"
    "pass --max-memory MiB (counted from their sizes, so it stops at the same state on every\n"
    "machine). A long search prints how it goes every 5 seconds on standard error. A key\n"
    "event's window is how many consecutive steps it could happen at, each press and each\n"
    "release moved alone and the rest of the script fixed (up to 60 steps each way), and still\n"
    "cross; the tightest window is the smallest of them, printed with its event and step for\n"
    "each crossing and, for a room crossed both ways, for the room.\n"
    "Exit status: 0 every crossing found, 1 some not (or a search stopped), 2 usage error or\n"
    "unreadable room.\n",
};

bool readWhole(const std::string& word, int low, int high, int& value) {
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return !word.empty() && word[0] != '+' && ec == std::errc() && ptr == end && value >= low &&
           value <= high;
}

const char* wayWord(Way way) {
    return way == Way::East ? "east" : "west";
}

SearchBounds boundsFor(int maxSteps, int memoryMiB, std::ostream& err, const std::string& label) {
    SearchBounds bounds;
    bounds.maxSteps = maxSteps;
    bounds.memoryLimit = static_cast<std::size_t>(memoryMiB) << 20;
    bounds.progress = &err;
    bounds.progressLabel = "marrowgast-solve: " + label;
    return bounds;
}

// The crossings of one room file, each way asked; its status as solveMain's.
int solveFile(GameSetup& game, const std::string& roomFile, const std::vector<Way>& ways, int maxSteps,
              int memoryMiB, bool lines, const std::string& keysOut, std::ostream& out, std::ostream& err) {
    int status = 0;
    for (const Way way : ways) {
        std::string error;
        const SearchBounds bounds = boundsFor(maxSteps, memoryMiB, err, roomFile + " " + wayWord(way));
        const Crossing crossing = solveRoomFile(game, roomFile, way, bounds, error);
        if (!error.empty()) {
            err << "marrowgast-solve: " << error << "\n";
            return 2;
        }
        if (!crossing.found)
            status = 1;
        const std::string file =
            (std::filesystem::path(keysOut) / (std::string(wayWord(way)) + ".keys")).string();
        std::string why;
        if (crossing.found && !keysOut.empty() &&
            !replaceFile(file,
                         keyScriptText(crossing.presses, crossingLine(roomFile, way, crossing, maxSteps) +
                                                             ", found by marrowgast-solve"),
                         why)) {
            err << "marrowgast-solve: " << quotedText(file) << ": cannot write the key script: " << why
                << "\n";
            status = 2;
        }
        if (!lines) {
            out << crossingLine(roomFile, way, crossing, maxSteps) << "\n" << std::flush;
            continue;
        }
        out << answerLine(way, crossing, maxSteps) << "\n";
        // Where no crossing was found, the places the player could reach.
        if (!crossing.found)
            out << reachedLines(way, crossing);
        for (const PathPoint& at : crossingPath(game, roomFile, way, crossing, 8, error))
            out << "path " << wayWord(way) << " " << shortestText(at.x) << " " << shortestText(at.y) << "\n";
        out << std::flush;
    }
    return status;
}

} // namespace

int solveMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const DataLookup* lookup) {
    std::string root = ".";
    bool rootGiven = false;
    std::vector<int> rooms;
    std::vector<Way> ways;
    int maxSteps = 3600;
    int memoryMiB = static_cast<int>(DefaultMemoryLimitMiB);
    std::string keysOut;
    bool reach = false;
    std::string roomFile;
    bool lines = false;
    auto usage = [&](const std::string& what) { return refuseCommandLine(Program.name, what, err); };
    std::vector<CommandWord> words;
    if (const int status = readCommandLine(Program, args, words, out, err); status >= 0)
        return status;
    for (const CommandWord& word : words) {
        const std::string& option = word.option;
        const std::string& value = word.value;
        int number = 0;
        if (option == "--reach") {
            reach = true;
        } else if (option == "--lines") {
            lines = true;
        } else if (option == "--room-file") {
            if (!roomFile.empty() || !rooms.empty())
                return usage("--room-file: one room file, and no --room with it");
            std::error_code failed;
            roomFile = value;
            if (!fromWorkingDirectory(roomFile, failed)) {
                err << "marrowgast-solve: --room-file: cannot find " << quotedText(value)
                    << " from the working directory: " << failed.message() << "\n";
                return 2;
            }
        } else if (option == "--root") {
            root = value;
            rootGiven = true;
        } else if (option == "--room") {
            if (!readWhole(value, 1, static_cast<int>(RingSize), number))
                return usage("--room: expected a room of the ring from 1 to " + std::to_string(RingSize) +
                             ", not " + quotedText(value));
            if (!roomFile.empty())
                return usage("--room: no --room with --room-file");
            rooms.push_back(number);
        } else if (option == "--way") {
            if (value != "east" && value != "west")
                return usage("--way: expected east or west, not " + quotedText(value));
            ways.push_back(value == "east" ? Way::East : Way::West);
        } else if (option == "--max-steps") {
            if (!readWhole(value, 1, 100000, maxSteps))
                return usage("--max-steps: expected a whole number from 1 to 100000, not " +
                             quotedText(value));
        } else if (option == "--max-memory") {
            if (!readWhole(value, 1, static_cast<int>(MostMemoryLimitMiB), memoryMiB))
                return usage("--max-memory: expected a whole number of MiB from 1 to " +
                             std::to_string(MostMemoryLimitMiB) + ", not " + quotedText(value));
        } else if (option == "--keys-out") {
            // Taken from where the tool was started, which may have been deleted since.
            std::error_code failed;
            keysOut = value;
            if (!fromWorkingDirectory(keysOut, failed)) {
                err << "marrowgast-solve: --keys-out: cannot find " << quotedText(value)
                    << " from the working directory: " << failed.message() << "\n";
                return 1;
            }
            if (!std::filesystem::is_directory(keysOut, failed))
                return usage("--keys-out: " + quotedText(value) + " is not a directory");
        }
    }
    // --reach alone measures; asked for rooms or ways as well, it solves them too.
    const bool solve = !reach || !rooms.empty() || !ways.empty();
    if (rooms.empty())
        for (std::size_t room = 1; room <= RingSize; ++room)
            rooms.push_back(static_cast<int>(room));
    if (ways.empty())
        ways = {Way::East, Way::West};
    if (!rootGiven && lookup != nullptr) {
        const DataLocation data = findDataDirectory(*lookup);
        if (data.directory.empty()) {
            err << "marrowgast-solve: " << data.error << "\n";
            return 2;
        }
        root = data.directory;
    }

    GameSetup game(root);
    if (!game.usable()) {
        err << "marrowgast-solve: cannot use " << root << " as the root: " << game.dataError().message()
            << "\n";
        return 2;
    }
    int status = 0;
    std::string reachError;
    if (reach && !measureReach(game, out, reachError)) {
        err << "marrowgast-solve: --reach: " << reachError << "\n";
        status = 2;
    }
    if (!solve)
        return status;
    if (!roomFile.empty())
        return std::max(status,
                        solveFile(game, roomFile, ways, maxSteps, memoryMiB, lines, keysOut, out, err));
    for (const int room : rooms) {
        // The crossings found each way, for the room's own line.
        Crossing crossed[2];
        for (const Way way : ways) {
            std::string error;
            const SearchBounds bounds =
                boundsFor(maxSteps, memoryMiB, err, "room " + std::to_string(room) + " " + wayWord(way));
            const Crossing crossing = solveRoom(game, room, way, bounds, error);
            if (!error.empty()) {
                err << "marrowgast-solve: room " << room << ": " << error << "\n";
                status = 2;
                continue;
            }
            const std::string line = crossingLine(room, way, crossing, maxSteps);
            out << line << "\n" << std::flush;
            std::ostringstream cost;
            cost.precision(2);
            cost << std::fixed << "marrowgast-solve: room " << room << " " << wayWord(way) << ": "
                 << crossing.states << " states, " << crossing.seconds << " s, "
                 << static_cast<double>(crossing.bytes) / (1024.0 * 1024.0) << " MiB\n";
            err << cost.str();
            if (!crossing.found) {
                status = std::max(status, 1);
                continue;
            }
            crossed[static_cast<int>(way)] = crossing;
            if (keysOut.empty())
                continue;
            const std::string name = "room" + std::to_string(room) + "-" + wayWord(way) + ".keys";
            const std::string file = (std::filesystem::path(keysOut) / name).string();
            std::string why;
            if (!replaceFile(file, keyScriptText(crossing.presses, line + ", found by marrowgast-solve"),
                             why)) {
                err << "marrowgast-solve: " << quotedText(file) << ": cannot write the key script: " << why
                    << "\n";
                status = 2;
            }
        }
        if (crossed[0].found && crossed[1].found)
            out << roomLine(room, crossed[0], crossed[1]) << "\n" << std::flush;
    }
    return status;
}
