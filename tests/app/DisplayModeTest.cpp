#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#ifdef __unix__
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include "../graphics/GraphicsTestSupport.h"
#include "app/DisplayMode.h"
#include "platform/RecordingWindowControl.h"

namespace {

class DisplayModes : public HeadlessGraphicsTest {
  protected:
    void SetUp() override {
        HeadlessGraphicsTest::SetUp();
        theDisplay.window = &window;
    }

    // A file of the data folder, where a screenshot goes unless the game names another place.
    std::string at(const std::string& name) const { return (scratch / name).string(); }

    std::vector<char> fileBytes(const std::string& name) const {
        std::ifstream file(at(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    // The screenshot on disk holds the back buffer, checked at every `stride`-th pixel.
    void expectScreenshotOf(const RgbaImage& drawn, int stride) const {
        RgbaImage saved;
        ASSERT_TRUE(readImageFile(at("screenshot.png"), saved));
        ASSERT_EQ(saved.width, drawn.width);
        ASSERT_EQ(saved.height, drawn.height);
        for (int y = 0; y < drawn.height; y += stride)
            for (int x = 0; x < drawn.width; x += stride)
                ASSERT_EQ(pixelAt(saved, x, y), pixelAt(drawn, x, y)) << x << ", " << y;
    }

    RecordingWindowControl window;
};

TEST_F(DisplayModes, SizesKeepTheWindowCornerAndFullScreenMovesItToTheScreensCorner) {
    window.left = 100;
    window.top = 50;
    const struct {
        int width, height;
        bool fullScreen;
        int corner;
    } modes[] = {{1024, 768, false, 100},
                 {800, 600, false, 100},
                 {640, 480, false, 100},
                 {800, 600, true, 0},
                 {800, 600, false, 0}};
    for (const auto& m : modes) {
        EXPECT_TRUE(setDisplayMode(m.width, m.height, m.fullScreen));
        EXPECT_EQ(window.left, m.corner) << m.width << (m.fullScreen ? " full" : "");
        EXPECT_EQ(window.top, m.corner / 2) << m.width;
        if (!m.fullScreen) {
            EXPECT_EQ(window.width, m.width);
            EXPECT_EQ(window.height, m.height);
        }
        EXPECT_EQ(window.fullScreen, m.fullScreen);
        EXPECT_EQ(theGraphics.device->backBufferWidth(), m.width);
        EXPECT_EQ(theGraphics.device->backBufferHeight(), m.height);
    }
}

TEST_F(DisplayModes, EveryCallResetsTheDeviceEvenWithoutAChange) {
    startFrame();
    theSpriteRenderer->drawQuad(0, 30, 40, 30, 1, 1, 0xFFFFFFFF, 0);
    window.calls.clear();
    setDisplayMode(640, 480, false);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"position", "form windowed", "place 0 0 640 480"}));
    // A fresh back buffer: the white frame is gone.
    EXPECT_NE(pixelAt(backBuffer(), 320, 240), (Rgb{255, 255, 255}));
}

TEST_F(DisplayModes, ScreenshotHoldsTheFrameDrawnSoFar) {
    setDisplayMode(800, 600, false);
    startFrame();
    theSpriteRenderer->drawQuad(10, 20, 2, 3, 1, 1, 0xFF00FFFF, 0);
    theDisplay.screenshotRequested = true;
    saveScreenshot();
    EXPECT_FALSE(theDisplay.screenshotRequested);

    std::vector<char> bytes = fileBytes("screenshot.png");
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes[24], 8);
    EXPECT_EQ(bytes[25], 2); // RGB, no alpha
    const RgbaImage drawn = backBuffer();
    ASSERT_EQ(drawn.width, 800);
    EXPECT_EQ(pixelAt(drawn, 210, 370), (Rgb{255, 255, 0}));
    EXPECT_EQ(pixelAt(drawn, 0, 0), Background);
    expectScreenshotOf(drawn, 3);
}

TEST_F(DisplayModes, LeftoverOrPlantedTemporariesAreNeverWrittenThrough) {
#ifndef __unix__
    GTEST_SKIP() << "the planted symbolic link is made the POSIX way";
#endif
    {
        std::ofstream victim(at("victim.txt"), std::ios::binary);
        victim << "keep me";
    }
    std::filesystem::create_symlink("victim.txt", at("screenshot.png.part"));
    startFrame();
    theSpriteRenderer->drawQuad(0, 30, 40, 30, 1, 1, 0xFFFFFFFF, 0);
    theDisplay.screenshotRequested = true;
    saveScreenshot();

    EXPECT_EQ(fileBytes("victim.txt"), (std::vector<char>{'k', 'e', 'e', 'p', ' ', 'm', 'e'}));
    EXPECT_TRUE(std::filesystem::is_symlink(at("screenshot.png.part")));
    EXPECT_FALSE(std::filesystem::is_symlink(at("screenshot.png")));
    expectScreenshotOf(backBuffer(), 7);
}

TEST_F(DisplayModes, FailedScreenshotLeavesNothingBehind) {
    // A directory where the screenshot goes cannot be replaced by the new file.
    std::filesystem::create_directory(at("screenshot.png"));
    std::ofstream(at("screenshot.png/inside.txt")) << "x";
    std::string said;
    theDisplay.screenshotFailed = [&said](const std::string& message) { said += message; };
    startFrame();
    theDisplay.screenshotRequested = true;
    saveScreenshot();
    EXPECT_FALSE(theDisplay.screenshotRequested);
    EXPECT_EQ(said, "cannot save the screenshot \"screenshot.png\": it is a directory");
    EXPECT_TRUE(std::filesystem::exists(at("screenshot.png/inside.txt")));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(scratch)) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"screenshot.png"});
    said.clear();
    theDisplay.screenshotFile.clear();
    saveScreenshot();
    EXPECT_EQ(said, "cannot save the screenshot: the folder the game was started from is gone");
}

// Only a regular file is replaced: a link (to the game's data, say), a pipe or a device node keeps
// being what it was, and the terminal hears why, once per request. As root the device case is
// /dev/null's: rename would have turned it into a picture.
TEST_F(DisplayModes, AScreenshotReplacesOnlyARegularFileAndSaysWhyNot) {
#ifndef __unix__
    GTEST_SKIP() << "pipes and device nodes are made the POSIX way";
#else
    std::vector<std::string> said;
    theDisplay.screenshotFailed = [&said](const std::string& message) { said.push_back(message); };
    std::ofstream(at("victim.txt")) << "keep me";
    const bool device = mknod(at("device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    mkfifo(at("pipe").c_str(), 0666);
    const std::vector<std::pair<std::string, std::string>> targets = {
        {"link", "it is a symbolic link"},
        {"pipe", "it is a pipe, not a regular file"},
        {"device", "it is a device, not a regular file"}};
    std::filesystem::create_symlink("victim.txt", at("link"));
    // Relative names are the data folder's, and the messages give them as named.
    for (const auto& [name, why] : targets) {
        if (name == "device" && !device) {
            std::cout << "[ SKIPPED  ] the device node case: mknod needs root\n";
            continue;
        }
        const auto before = std::filesystem::symlink_status(at(name)).type();
        theDisplay.screenshotFile = name;
        said.clear();
        startFrame();
        theDisplay.screenshotRequested = true;
        saveScreenshot();
        EXPECT_EQ(std::filesystem::symlink_status(at(name)).type(), before) << name;
        EXPECT_EQ(said, std::vector<std::string>{"cannot save the screenshot \"" + name + "\": " + why});
    }
    EXPECT_EQ(fileBytes("victim.txt"), (std::vector<char>{'k', 'e', 'e', 'p', ' ', 'm', 'e'}));

    // A regular file is replaced, in silence.
    said.clear();
    theDisplay.screenshotFile = "victim.txt";
    theDisplay.screenshotRequested = true;
    saveScreenshot();
    EXPECT_TRUE(said.empty());
    EXPECT_EQ(fileBytes("victim.txt")[1], 'P');
#endif
}

TEST_F(DisplayModes, UnwritableDataFolderGivesNoFileAndNoCrash) {
#ifdef __unix__
    if (geteuid() != 0) {
        // Read-only: the old screenshot survives a failed write.
        startFrame();
        saveScreenshot();
        const std::vector<char> previous = fileBytes("screenshot.png");
        std::filesystem::permissions(scratch, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        startFrame();
        theSpriteRenderer->drawQuad(0, 30, 40, 30, 1, 1, 0xFFFFFFFF, 0);
        saveScreenshot();
        std::filesystem::permissions(scratch, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(fileBytes("screenshot.png"), previous);
    }
#endif

    // A data directory removed under the game: nothing can be created in it, even as root.
    const std::filesystem::path gone = scratch / "gone";
    std::filesystem::create_directory(gone);
    setUpOver(gone);
    std::filesystem::remove(gone);
    startFrame();
    theDisplay.screenshotRequested = true;
    saveScreenshot();
    EXPECT_FALSE(theDisplay.screenshotRequested);
    // Nothing brought the directory back to hold a picture or a temporary.
    EXPECT_FALSE(std::filesystem::exists(gone));
}

} // namespace
