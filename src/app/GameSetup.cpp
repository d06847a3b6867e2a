#include "app/GameSetup.h"

#include "actors/Random.h"
#include "app/DisplayMode.h"
#include "definitions/DataFile.h"
#include "definitions/Quoted.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "world/ObjectRegistry.h"

GameSetup::GameSetup(const std::filesystem::path& dataDirectory)
    : previousDataFolder(dataFolder()), previousImages(theGraphics.images),
      previousAfterWorldDrawn(afterWorldDrawn) {
    freshState();
    // Taken from the working directory once, now, so that the data stays where it was found.
    std::filesystem::path folder;
    if (dataDirectory.empty())
        directoryError = std::make_error_code(std::errc::no_such_file_or_directory);
    else
        folder = std::filesystem::absolute(dataDirectory, directoryError);
    // "." is found in a directory only, and only in one that may be searched: the system says
    // why not as it would on entering it.
    const bool directory = !directoryError && std::filesystem::is_directory(
                                                  std::filesystem::status(folder / ".", directoryError));
    if (!directoryError && !directory)
        directoryError = std::make_error_code(std::errc::not_a_directory);
    if (!directoryError)
        setDataFolder(folder.string());
}

GameSetup::GameSetup(const std::filesystem::path& dataDirectory, const Headless& headless)
    : GameSetup(dataDirectory) {
    if (!usable()) {
        fail("cannot enter \"" + dataDirectory.string() + "\"");
        return;
    }
    if (headless.width > 0 && !useHeadlessDevice(headless.width, headless.height))
        return;
    if (headless.sound != nullptr)
        useSound(*headless.sound);
    if (headless.loadWorld)
        loadWorld();
}

// In the game's order of release: the world, the window, sound, then the textures before the
// device that holds their copies.
GameSetup::~GameSetup() {
    world.onRoomFileOpened = nullptr;
    world.reloadBehindCurtain = nullptr;
    shutdownWorld();
    afterWorldDrawn = previousAfterWorldDrawn;
    theDisplay = DisplayState{};
    soundScope.reset();
    ownedSound.reset();
    window.reset();
    shutdownGraphics();
    theGraphics = GraphicsState{};
    theGraphics.images = previousImages;
    objectRegistry().clear();
    gameRandom = RandomGenerator{};
    setDataFolder(previousDataFolder);
}

void GameSetup::freshState() {
    world.onRoomFileOpened = nullptr;
    world.reloadBehindCurtain = nullptr;
    shutdownWorld();
    shutdownGraphics();
    theGraphics = GraphicsState{};
    theGraphics.images = &imageFiles;
    theDisplay = DisplayState{};
    objectRegistry().clear();
    gameRandom = RandomGenerator{};
    afterWorldDrawn = saveRequestedScreenshot;
    soundScope.emplace(silence);
}

void GameSetup::fail(const std::string& what) {
    if (problem.empty())
        problem = what;
}

void GameSetup::useWindow(std::unique_ptr<WindowControl> control) {
    theDisplay.window = nullptr;
    recorder = nullptr;
    window = std::move(control);
    theDisplay.window = window.get();
}

bool GameSetup::useHeadlessDevice(int width, int height) {
    std::string why;
    std::unique_ptr<DrawingDevice> device = createHeadlessDrawingDevice(width, height, why);
    if (!device) {
        fail(why);
        return false;
    }
    auto twin = std::make_unique<RecordingWindowControl>();
    twin->width = width;
    twin->height = height;
    RecordingWindowControl* made = twin.get();
    theGraphics.device = std::move(device);
    useWindow(std::move(twin));
    recorder = made;
    theDisplay.displayWidth = width;
    theDisplay.displayHeight = height;
    return true;
}

void GameSetup::useSound(SoundSink& sink) {
    soundScope.reset();
    soundScope.emplace(sink);
}

void GameSetup::useSound(std::unique_ptr<SoundSink> owned) {
    soundScope.reset();
    ownedSound = std::move(owned);
    soundScope.emplace(ownedSound ? *ownedSound : static_cast<SoundSink&>(silence));
}

void GameSetup::restart() {
    shutdownWorld();
    theGraphics.boundTexture = nullptr;
    theGraphics.textureCache.clear();
    std::unique_ptr<DrawingDevice> device = std::move(theGraphics.device);
    theGraphics = GraphicsState{};
    theGraphics.device = std::move(device);
    theGraphics.images = &imageFiles;
    objectRegistry().clear();
    gameRandom = RandomGenerator{};
}

bool GameSetup::loadWorld() {
    std::string why;
    if (::loadWorld(why))
        return true;
    fail(why);
    return false;
}

bool GameSetup::enterStartRoom(const StartRoom& start) {
    if (start.room == 1 && start.side == 0)
        return true;
    const std::size_t index = static_cast<std::size_t>(start.room - 1);
    if (index < world.roomFiles.size() && enterRingRoom(index, start.side))
        return true;
    if (index < world.roomFiles.size())
        fail("cannot read " + quotedText(world.roomFiles[index]) + ": " +
             whyDataFileUnreadable(world.roomFiles[index], MaxDefinitionFileBytes));
    else
        fail("there is no room " + std::to_string(start.room));
    return false;
}
