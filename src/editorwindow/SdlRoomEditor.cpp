// The room editor's window: the room drawn by the game's own renderer on the CPU and shown
// through a texture, Dear ImGui's outlines and panels over it, and play-tests run by the game's
// own frame loop and hooks in the same window.
#include "actors/Player.h"
#include "app/DisplayMode.h"
#include "app/FrameLoop.h"
#include "app/GameHooks.h"
#include "app/GameSetup.h"
#include "app/KeyScript.h"
#include "app/RoomEditorStart.h"
#include "definitions/Quoted.h"
#include "definitions/StopRequests.h"
#include "editor/CheckWatch.h"
#include "editor/EditorSession.h"
#include "editor/SolverWatch.h"
#include "editorwindow/ImguiRoomView.h"
#include "editorwindow/SdlEditorKeys.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "graphics/SpriteRenderer.h"
#include "input/Keyboard.h"
#include "platform/OutputFile.h"
#include "platform/SdlGamepad.h"
#include "platform/SdlKeyboard.h"
#include "platform/SdlMixer.h"
#include "platform/SdlPlatform.h"
#include "platform/system/ProgramFile.h"
#include "platform/system/TemporaryFolder.h"
#include "world/Room.h"
#include "world/World.h"

#include <SDL.h>
#include <backends/imgui_impl_sdl.h>
#include <backends/imgui_impl_sdlrenderer.h>
#include <imgui.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// The room is composed at 24 pixels a unit; the window adds the panel and the status bar.
constexpr int FrameWidth = 960;
constexpr int FrameHeight = 720;
constexpr int WindowWidth = 1290;
constexpr int WindowHeight = 746;

int fail(const std::string& what) {
    std::fprintf(stderr, "marrowgast: %s\n", what.c_str());
    return 1;
}

// One line per editor event on standard output, at once, for whoever watches the editor.
void printStatus(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The room as it stands in the editor, written where the game can read it: a scratch folder of
// this run's own, removed at the end.
class ScratchRoom {
  public:
    ScratchRoom() = default;
    ~ScratchRoom() {
        std::error_code ignored;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ignored);
    }
    ScratchRoom(const ScratchRoom&) = delete;
    ScratchRoom& operator=(const ScratchRoom&) = delete;

    bool make(std::string& error) {
        std::error_code failed;
        const std::filesystem::path temporary = std::filesystem::temp_directory_path(failed);
        if (failed) {
            error = "no temporary directory: " + failed.message();
            return false;
        }
        std::string pattern = (temporary / "marrowgast-edit-XXXXXX").string();
        int why{};
        if (!makeUniqueFolder(pattern, why)) {
            error = quotedText(pattern) + ": cannot make the scratch directory: " + std::strerror(why);
            return false;
        }
        folder = pattern;
        file = (std::filesystem::path(folder) / "room.txt").string();
        return true;
    }

    // Writes the text when it differs from what was written last; true when the file changed.
    bool write(const std::string& text, std::string& why) {
        if (written && text == contents)
            return false;
        if (!replaceFile(file, text, why))
            return false;
        contents = text;
        written = true;
        return true;
    }

    const std::string& name() const { return file; }
    const std::string& folderName() const { return folder; }

  private:
    std::string folder;
    std::string file;
    std::string contents;
    bool written = false;
};

struct RendererDeleter {
    void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct TextureDeleter {
    void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};
struct WindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};

// Dear ImGui for the life of the window.
class ImguiContext {
  public:
    ImguiContext(SDL_Window* window, SDL_Renderer* renderer) {
        IMGUI_CHECKVERSION();
        ImGui::CreateContext();
        // Nothing of the editor's layout is kept between runs.
        ImGui::GetIO().IniFilename = nullptr;
        ImGui::StyleColorsDark();
        ImGui_ImplSDL2_InitForSDLRenderer(window);
        ImGui_ImplSDLRenderer_Init(renderer);
    }
    ~ImguiContext() {
        ImGui_ImplSDLRenderer_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
    }
    ImguiContext(const ImguiContext&) = delete;
    ImguiContext& operator=(const ImguiContext&) = delete;
};

// The game's own hooks, with a script's keys delivered by the input poll of their step as the
// replay tool delivers them; without a script, the game's hooks alone.
class ScriptedHooks final : public GameHooks {
  public:
    ScriptedHooks(InputState& input, std::vector<ScriptedKey> keys)
        : GameHooks(input), input(input), keys(std::move(keys)) {}

    void pollInput() override {
        const std::int64_t step = stepsRun() + 1;
        for (; next < keys.size() && keys[next].step <= step; ++next)
            queueKeyEvent(input, keys[next].code, keys[next].pressed);
        GameHooks::pollInput();
    }

    // A busy pass runs several steps, so the step the player walks out in is kept as it
    // happens, with where the player stood.
    int updateWorld() override {
        const int quit = GameHooks::updateWorld();
        if (world.roomChangePending && !walkedOut && world.player) {
            walkedOut = true;
            outStep = stepsRun();
            outX = world.player->x;
            outY = world.player->y;
        }
        return quit;
    }
    bool walkedOut = false;
    std::int64_t outStep = 0;
    float outX = 0.0f;
    float outY = 0.0f;

  private:
    InputState& input;
    std::vector<ScriptedKey> keys;
    std::size_t next = 0;
};

// A play-test: the game's own keyboard, hooks and frame loop over the world.
struct PlayTest {
    PlayTest(std::vector<ScriptedKey> keys, bool scripted)
        : hooks(input, std::move(keys)), scripted(scripted) {}
    InputState input;
    ScriptedHooks hooks;
    Engine engine;
    // The player's keys are the script's (even a script of none): the author's are not.
    bool scripted;
};

class EditorWindow {
  public:
    EditorWindow(EditorSession& session, GameSetup& game, ScratchRoom& scratch, SolverWatch* solver,
                 std::string solverNote)
        : session(session), game(game), scratch(scratch), solver(solver), solverNote(std::move(solverNote)) {}

    bool open(std::string& error) {
        // A closed window is one request to leave, not a second one as SDL_QUIT: with unsaved
        // changes the first asks again.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        window.reset(SDL_CreateWindow(editorTitle(session, false).c_str(), SDL_WINDOWPOS_UNDEFINED,
                                      SDL_WINDOWPOS_UNDEFINED, WindowWidth, WindowHeight,
                                      SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN));
        if (!window) {
            error = std::string("cannot open the editor's window: ") + SDL_GetError();
            return false;
        }
        renderer.reset(SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_ACCELERATED));
        if (!renderer)
            renderer.reset(SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_SOFTWARE));
        if (!renderer) {
            error = std::string("cannot draw in the editor's window: ") + SDL_GetError();
            return false;
        }
        shown.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STREAMING,
                                      FrameWidth, FrameHeight));
        if (!shown) {
            error = std::string("cannot make the room's texture: ") + SDL_GetError();
            return false;
        }
        // The frame's alpha is no transparency: the room is shown as composed.
        SDL_SetTextureBlendMode(shown.get(), SDL_BLENDMODE_NONE);
        imgui = std::make_unique<ImguiContext>(window.get(), renderer.get());
        pads.start();
        return true;
    }

    // Until the author leaves (0) or a stop is asked for: 0 as in the game, 1 when changes not
    // saved are lost with it.
    int run(const std::function<void(const EditorSession&, SDL_Window*)>& beforePass) {
        while (!done) {
            if (beforePass)
                beforePass(session, window.get());
            if (stopRequested()) {
                const bool lost = session.editor().modified();
                session.say(lost ? "stopped with unsaved changes" : "stopped");
                return lost ? 1 : 0;
            }
            if (play)
                playPass();
            else
                editPass();
            watchSolver();
            watchCheck();
        }
        return 0;
    }

    // The room check beside the solver: none when `watch` is null, `note` saying why.
    void useCheck(CheckWatch* watch, std::string note) {
        check = watch;
        checkNote = std::move(note);
    }

    // The editor's room in the world, as a play-test ends or the editor starts: a world loaded
    // afresh with the scratch file as its only room.
    bool enterRoom(int side, std::string& why) {
        game.restart();
        if (!game.loadWorld()) {
            why = game.error();
            return false;
        }
        world.roomFiles.assign(1, scratch.name());
        if (!enterRingRoom(0, side)) {
            why = "cannot read the room as the game would";
            return false;
        }
        roomDrawn = false;
        return true;
    }

    // The scratch file up to date with the editor; false with the reason when it cannot be written.
    bool writeScratch(std::string& why) {
        why.clear();
        if (scratch.write(session.editor().document().text(), why)) {
            roomDrawn = false;
            return true;
        }
        return why.empty();
    }

  private:
    // The solver searches the room as it stands whenever it changed, though not in the middle of
    // a drag (the drop is the change); its answers are said as they come.
    void watchSolver() {
        if (!solver)
            return;
        if (!play && !session.dragging()) {
            std::string text = session.editor().document().text();
            if (!searchedOnce || text != searchedText) {
                std::string why;
                if (!solver->search(text, why))
                    printStatus("solver: " + why);
                searchedText = std::move(text);
                searchedOnce = true;
                searchStarted = std::chrono::steady_clock::now();
                answered.fill(false);
            }
        }
        if (!solver->poll())
            return;
        for (int way = 0; way < 2; ++way) {
            const WayAnswer::State state = solver->answer(way).state;
            if (answered[static_cast<std::size_t>(way)] || state == WayAnswer::State::Searching ||
                state == WayAnswer::State::Idle)
                continue;
            answered[static_cast<std::size_t>(way)] = true;
            char took[48];
            std::snprintf(
                took, sizeof took, "; answered in %.1f s",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - searchStarted).count());
            printStatus("solver: " + solver->answerText(way) + took);
        }
    }

    // The room check runs as the solver does, after every change but not during a drag; each run
    // that ends says its count and measures, and its findings when they differ from the last.
    void watchCheck() {
        if (!check)
            return;
        if (!play && !session.dragging()) {
            std::string text = session.editor().document().text();
            if (!checkedOnce || text != checkedText) {
                std::string why;
                if (!check->check(text, why))
                    printStatus(check->summaryText());
                checkedText = std::move(text);
                checkedOnce = true;
            }
        }
        if (!check->poll())
            return;
        printStatus(check->summaryText());
        std::vector<std::string> said;
        for (const CheckFinding& finding : check->findings())
            said.push_back(findingText(finding));
        if (said == saidFindings)
            return;
        for (const std::string& line : said)
            printStatus(line);
        saidFindings = std::move(said);
    }

    void editPass() {
        SDL_Event event;
        // Dear ImGui 1.86 sees a key as held or not once a frame, so a key pressed and let go
        // within one pass would never reach a field, and a field clicked takes the keys only
        // from the next frame: a key typed into the panel, or a press of the mouse, ends the pass.
        auto panelsTurn = [&event] {
            return (event.type == SDL_KEYDOWN && panelTakesKeys()) || event.type == SDL_MOUSEBUTTONDOWN;
        };
        if (SDL_WaitEventTimeout(&event, 30) != 0) {
            handleEditorEvent(event);
            while (!play && !done && !panelsTurn() && SDL_PollEvent(&event) != 0)
                handleEditorEvent(event);
        }
        if (play || done)
            return;
        std::string why;
        if (writeScratch(why)) {
            // The room reads as the game reads it: a file it cannot read leaves the last one.
            if (!roomDrawn && world.room)
                world.room->loadFile(scratch.name());
        } else if (!why.empty() && why != lastScratchProblem) {
            session.say("cannot write the room for drawing: " + why);
        }
        lastScratchProblem = why;
        if (!roomDrawn)
            drawRoom();
        present(false);
    }

    void drawRoom() {
        if (!theSpriteRenderer || !world.room)
            return;
        beginFrame();
        setWorldCamera(*theSpriteRenderer);
        world.room->drawAll(BackgroundColour);
        endFrame();
        roomDrawn = true;
        frameChanged = true;
    }

    void handleEditorEvent(const SDL_Event& event) {
        const RoomView view = currentView();
        // A press the room takes, and the release that ends its drag, are not the panel's: with
        // the events of a quick drag read in one pass, Dear ImGui would see a click wherever
        // the mouse was let go, over the panel's fields too.
        const bool roomPress = event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT &&
                               !panelTakesKeys() &&
                               view.inside(static_cast<float>(event.button.x),
                                           static_cast<float>(event.button.y), handleReach(view));
        const bool roomRelease =
            event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_LEFT && session.dragging();
        if (!roomPress && !roomRelease)
            ImGui_ImplSDL2_ProcessEvent(&event);
        switch (event.type) {
        case SDL_QUIT:
            done = session.leave();
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                done = session.leave();
            break;
        case SDL_KEYDOWN:
            // Keys typed into a field of the panel are the field's, not the editor's commands.
            if (!panelTakesKeys())
                handleKey(event.key);
            break;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            frameChanged = true;
            break;
        case SDL_MOUSEBUTTONDOWN:
            // The panels never cover the room: a press there is the room's even before ImGui has
            // seen the mouse leave a panel. Handles on the room's edge stick out of it.
            // A press while a field is typed in only ends the typing (ImGui commits it).
            if (roomPress) {
                session.press(view.toRoomX(static_cast<float>(event.button.x)),
                              view.toRoomY(static_cast<float>(event.button.y)), handleReach(view));
                SDL_CaptureMouse(SDL_TRUE);
            }
            break;
        case SDL_MOUSEMOTION:
            mouseX = static_cast<float>(event.motion.x);
            mouseY = static_cast<float>(event.motion.y);
            // A drag stops at the room's edges, so that nothing is dragged where it cannot be seen
            // and taken again.
            if (session.dragging())
                session.drag(std::clamp(view.toRoomX(mouseX), 0.0f, RoomWidth),
                             std::clamp(view.toRoomY(mouseY), 0.0f, RoomHeight),
                             (SDL_GetModState() & KMOD_SHIFT) != 0);
            break;
        case SDL_MOUSEBUTTONUP:
            if (roomRelease) {
                session.release();
                SDL_CaptureMouse(SDL_FALSE);
            }
            break;
        default:
            break;
        }
    }

    // A field of the panel has the keyboard: as ImGui said at its last frame, or now (a field
    // clicked at the last frame is active before ImGui says so).
    static bool panelTakesKeys() {
        const ImGuiIO& io = ImGui::GetIO();
        return io.WantTextInput || io.WantCaptureKeyboard || ImGui::IsAnyItemActive();
    }

    void handleKey(const SDL_KeyboardEvent& key) {
        const EditorKeyResult result =
            pressEditorKey(session, key.keysym.sym, key.keysym.mod, key.repeat != 0);
        switch (result.then) {
        case EditorKeyResult::Then::Nothing:
            break;
        case EditorKeyResult::Then::Close:
            done = true;
            break;
        case EditorKeyResult::Then::Play:
            startPlay(result.way, {}, false);
            break;
        case EditorKeyResult::Then::PlayCrossing:
            playCrossing(result.way);
            break;
        }
    }

    // The solver's crossing of the room as it stands, played from its entry point.
    void playCrossing(int way) {
        const char* const name = way == 0 ? "east" : "west";
        if (!solver) {
            session.say(std::string("no crossing to play: ") + solverNote);
            return;
        }
        // A change not yet searched has no crossing yet, whatever the last search found.
        if (solver->answer(way).state != WayAnswer::State::Crossed ||
            session.editor().document().text() != searchedText) {
            session.say(std::string("no crossing to play ") + name + " yet: " + solver->answerText(way));
            return;
        }
        std::string text, why;
        KeyScript script;
        const std::string file = solver->keysFile(way);
        if (!readRoomFile(file, text, why) || !parseKeyScript(text, file, script, why)) {
            session.say(std::string("cannot play the crossing ") + name + ": " + why);
            return;
        }
        startPlay(way, std::move(script.events), true);
    }

    // A play-test from the entry point of `side`; `scripted`, the player's keys are `keys`, and
    // the author's only Escape.
    void startPlay(int side, std::vector<ScriptedKey> keys, bool scripted) {
        if (session.dragging())
            session.release();
        SDL_CaptureMouse(SDL_FALSE);
        std::string why;
        if (!writeScratch(why)) {
            session.say("cannot play: " + why);
            return;
        }
        if (!enterRoom(side, why)) {
            session.say("cannot play: " + why);
            std::string again;
            enterRoom(0, again);
            return;
        }
        play = std::make_unique<PlayTest>(std::move(keys), scripted);
        initInput(play->input);
        play->engine.clock.ticks = &ticks;
        messages.onKey = [this, scripted](const SDL_Event& event) {
            // The window sizes and full screen are the game window's: the editor's stays as it is.
            const SDL_Scancode code = event.key.keysym.scancode;
            if ((code >= SDL_SCANCODE_F9 && code <= SDL_SCANCODE_F12) ||
                (scripted && code != SDL_SCANCODE_ESCAPE))
                return;
            queueSdlKeyEvent(play->input, event);
        };
        messages.onPad = [this, scripted](const SDL_Event& event) {
            if (!scripted)
                pads.handleEvent(play->input, event);
        };
        if (scripted)
            session.say(side == 0 ? "play-test of the solver's crossing east"
                                  : "play-test of the solver's crossing west");
        else
            session.say(side == 0 ? "play-test from left" : "play-test from right");
    }

    void playPass() {
        const bool more = runFramePass(play->engine, messages, play->hooks);
        frameChanged = true;
        present(true);
        // Escape is the game's own quit; a window closed or a stop asked for leaves the editor.
        if (world.roomChangePending) {
            session.say(world.entrySide == 0 ? "walked out at the right" : "walked out at the left");
            endPlay();
        } else if (!more) {
            const bool escaped = world.quitRequested;
            endPlay();
            if (!escaped && !stopRequested())
                done = session.leave();
        } else {
            // The frames are paced by the clock; this only leaves the processor to others.
            SDL_Delay(1);
        }
    }

    void endPlay() {
        stopAllSounds();
        if (world.player) {
            const ScriptedHooks& h = play->hooks;
            char where[96];
            std::snprintf(where, sizeof where,
                          "play-test ended after %lld steps, the player at x %.2f y %.2f",
                          static_cast<long long>(h.walkedOut ? h.outStep : h.stepsRun()),
                          static_cast<double>(h.walkedOut ? h.outX : world.player->x),
                          static_cast<double>(h.walkedOut ? h.outY : world.player->y));
            session.say(where);
        }
        play.reset();
        messages.onKey = nullptr;
        messages.onPad = nullptr;
        std::string why;
        if (!enterRoom(0, why))
            session.say("cannot draw the room: " + why);
        session.say("back in the editor");
    }

    RoomView currentView() const {
        int width = 0, height = 0;
        SDL_GetWindowSize(window.get(), &width, &height);
        return layOutRoomView(width, height);
    }

    void present(bool playing) {
        const FrameBuffer& frame = theGraphics.device->frame();
        if (frameChanged && frame.width() == FrameWidth && frame.height() == FrameHeight)
            SDL_UpdateTexture(shown.get(), nullptr, frame.image().pixels.data(), FrameWidth * 4);
        frameChanged = false;
        const RoomView view = currentView();
        ImGui_ImplSDLRenderer_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        EditorScreen screen;
        screen.playing = playing;
        screen.solver = solver;
        screen.solverNote = &solverNote;
        screen.check = check;
        screen.checkNote = &checkNote;
        if (!playing && view.inside(mouseX, mouseY)) {
            screen.mouseX = view.toRoomX(mouseX);
            screen.mouseY = view.toRoomY(mouseY);
        }
        drawEditorScreen(session, view, screen);
        ImGui::Render();
        SDL_Renderer* r = renderer.get();
        SDL_SetRenderDrawColor(r, 24, 24, 28, 255);
        SDL_RenderClear(r);
        const SDL_Rect place{static_cast<int>(view.left), static_cast<int>(view.top),
                             static_cast<int>(RoomWidth * view.scale),
                             static_cast<int>(RoomHeight * view.scale)};
        SDL_RenderCopy(r, shown.get(), nullptr, &place);
        ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
        SDL_RenderPresent(r);
        const std::string title = editorTitle(session, playing);
        if (title != shownTitle) {
            SDL_SetWindowTitle(window.get(), title.c_str());
            shownTitle = title;
        }
    }

    EditorSession& session;
    GameSetup& game;
    ScratchRoom& scratch;
    std::unique_ptr<SDL_Window, WindowDeleter> window;
    std::unique_ptr<SDL_Renderer, RendererDeleter> renderer;
    std::unique_ptr<SDL_Texture, TextureDeleter> shown;
    std::unique_ptr<ImguiContext> imgui;
    SdlGamepads pads;
    SdlMessageSource messages;
    SdlTicks ticks;
    std::unique_ptr<PlayTest> play;
    SolverWatch* solver;
    std::string solverNote;
    std::string searchedText;
    bool searchedOnce = false;
    std::chrono::steady_clock::time_point searchStarted;
    std::array<bool, 2> answered{};
    CheckWatch* check = nullptr;
    std::string checkNote;
    std::string checkedText;
    bool checkedOnce = false;
    std::vector<std::string> saidFindings;
    float mouseX = -1.0f;
    float mouseY = -1.0f;
    bool roomDrawn = false;
    // The composed frame differs from the texture's copy: a still room is uploaded once.
    bool frameChanged = true;
    bool done = false;
    std::string shownTitle;
    std::string lastScratchProblem;
};

// Finds `tool` beside the game (or in ../bin) and starts its watch on copies of the room in
// `subfolder` of the scratch's; when it cannot, `note` says why and the editor goes on without.
template <class Watch>
void startWatch(const ScratchRoom& scratch, const std::string& tool, const std::string& subfolder,
                const std::string& dataDirectory, std::optional<Watch>& watch, std::string& note) {
    std::string looked;
    const std::string program = findTool(programFile(), tool, looked);
    if (program.empty()) {
        note = "not found: no " + tool + " at " + looked;
        return;
    }
    const std::string folder = scratch.folderName() + "/" + subfolder;
    std::error_code failed;
    std::filesystem::create_directory(folder, failed);
    if (failed)
        note = "cannot make " + quotedText(folder) + ": " + failed.message();
    else
        watch.emplace(program, dataDirectory, folder);
}

} // namespace

int runRoomEditor(const RoomEditorStart& start) {
    // The room: a file that is not there yet is a new room; one that cannot be read is refused.
    std::string bytes;
    std::string why;
    std::error_code missing;
    const bool exists = std::filesystem::exists(std::filesystem::symlink_status(start.roomFile, missing));
    if (exists && !readRoomFile(start.roomFile, bytes, why))
        return fail("cannot edit " + quotedText(start.roomFile) + ": " + why);

    EditorSession session(start.roomFile, bytes);
    session.onStatus = printStatus;
    ScratchRoom scratch;
    if (!scratch.make(why))
        return fail(why);

    SdlSession sdl;
    if (!sdl.start(why))
        return fail(why);
    // The game's frame, composed at the editor's size by the game's own renderer.
    GameSetup game(start.dataDirectory, {.width = FrameWidth, .height = FrameHeight, .loadWorld = false});
    if (!game.ok())
        return fail(quotedText(start.dataDirectory) + ": " + game.error());
    session.setChoices(listResourceChoices(start.dataDirectory));
    theDisplay.screenshotFile = start.startedIn.empty() ? "" : start.startedIn + "/" + ScreenshotFileName;
    theDisplay.screenshotFailed = [](const std::string& message) { fail(message); };
    game.useSound(initSound(std::cerr));

    // The solver and the room check run beside the editor, each on its own copies of the room
    // in a folder of the scratch's, and end before that folder goes.
    std::optional<SolverWatch> solver;
    std::string solverNote;
    startWatch(scratch, "marrowgast-solve", "solver", start.dataDirectory, solver, solverNote);
    std::optional<CheckWatch> check;
    std::string checkNote;
    startWatch(scratch, "marrowgast-check", "check", start.dataDirectory, check, checkNote);

    EditorWindow window(session, game, scratch, solver ? &*solver : nullptr, solverNote);
    window.useCheck(check ? &*check : nullptr, checkNote);
    if (!window.open(why))
        return fail(why);
    if (!window.writeScratch(why))
        return fail("cannot write the room for drawing: " + why);
    if (!window.enterRoom(0, why))
        return fail(quotedText(start.dataDirectory) + ": " + why);
    session.say((exists ? "editing " : "new room ") + quotedText(start.roomFile));
    if (!solverNote.empty())
        printStatus("solver: " + solverNote);
    if (!checkNote.empty())
        printStatus("check: " + checkNote);
    return window.run(start.beforePass);
}
