#include "definitions/DataFile.h"
#include "definitions/DefinitionFile.h"
#include "graphics/RgbaImage.h"
#include "platform/ImageFile.h"
#include "platform/OutputFile.h"
#include "platform/SoundFile.h"
#include "support/ReadText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef __unix__
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

// A folder holding every kind of name an archive can carry that is not a regular file. Where
// the system has no pipes with names, /dev/zero or links a user may make (Windows), those
// names lead nowhere: still no file.
struct HostileFolder : TempDir {
    HostileFolder() {
        fs::create_directories(path("directory"));
#ifdef __unix__
        ::mkfifo(path("fifo").c_str(), 0600);
        fs::create_symlink("/dev/zero", path("zero"));
        fs::create_symlink(path("loop"), path("loop"));
        fs::create_symlink(path("fifo"), path("link-to-fifo"));
#endif
    }
    std::string operator/(const char* name) const {
        return path(name);
    }
    // A sparse file of exactly `size` bytes, so big bounds cost no disk.
    std::string sized(const char* name, std::uintmax_t size) const {
        const std::string file = write(name, "x");
        fs::resize_file(file, size);
        return file;
    }
};

const char* const NotRegular[] = {"directory", "fifo", "zero", "loop", "link-to-fifo", "missing"};

TEST(DataFile, NamesThatAreNotRegularFilesFailAtOnceInEveryLoader) {
    HostileFolder folder;
    for (const char* name : NotRegular) {
        const std::string file = folder / name;
        SCOPED_TRACE(name);
        EXPECT_FALSE(openDataFile(file, MaxDefinitionFileBytes));
        EXPECT_NE(dataFileProblem(file, MaxDefinitionFileBytes), DataFileProblem::None);
        DefinitionFile definitions;
        EXPECT_FALSE(definitions.open(file));
        RgbaImage image;
        EXPECT_FALSE(readImageFile(file, image));
        EXPECT_FALSE(isPlayableWavFile(file));
    }
#ifdef __unix__
    EXPECT_EQ(dataFileProblem(folder / "fifo", 1), DataFileProblem::NotRegular);
    EXPECT_EQ(dataFileProblem(folder / "zero", 1), DataFileProblem::NotRegular);
#endif
    EXPECT_EQ(dataFileProblem(folder / "missing", 1), DataFileProblem::Missing);
    // One that did not open reads nothing and moves nowhere.
    DataFile missing = openDataFile(folder / "missing", 1);
    char byte = 0;
    EXPECT_EQ(missing.read(&byte, 1), 0u);
    EXPECT_FALSE(missing.seek(0));
    EXPECT_FALSE(missing.endsWhereReported());
}

TEST(DataFile, ARoomOrSetFileOpensUpToItsBoundAndNotAByteBeyond) {
    HostileFolder folder;
    const std::string largest = folder.sized("largest.txt", MaxDefinitionFileBytes);
    const std::string tooLarge = folder.sized("too-large.txt", MaxDefinitionFileBytes + 1);
    DefinitionFile definitions;
    EXPECT_TRUE(definitions.open(largest));
    EXPECT_FALSE(definitions.open(tooLarge));
    EXPECT_EQ(dataFileProblem(tooLarge, MaxDefinitionFileBytes), DataFileProblem::TooBig);
    EXPECT_EQ(dataFileProblem(largest, MaxDefinitionFileBytes), DataFileProblem::None);
    EXPECT_FALSE(isPlayableWavFile(folder.sized("huge.wav", MaxSoundFileBytes + 1)));
}

// A file under /proc that reports size 0 and yields bytes for gigabytes.
const char* const EndlessFile = "/proc/self/pagemap";

TEST(DataFile, AFileThatNeverEndsIsRefusedAtOnceByEveryReader) {
#ifndef __unix__
    GTEST_SKIP() << "the file that never ends is reached through a symbolic link, made the POSIX way";
#endif
    if (!fs::exists(EndlessFile))
        GTEST_SKIP() << EndlessFile << " is not there to read";
    HostileFolder folder;
    const std::string endless = folder / "endless";
    fs::create_symlink(EndlessFile, endless);
    const auto start = std::chrono::steady_clock::now();
    const DataFile file = openDataFile(endless, MaxImageFileBytes);
    EXPECT_FALSE(file);
    EXPECT_EQ(file.status().problem, DataFileProblem::NeverEnds);
    EXPECT_EQ(dataFileProblem(endless, MaxDefinitionFileBytes), DataFileProblem::NeverEnds);
    DefinitionFile definitions;
    EXPECT_FALSE(definitions.open(endless));
    EXPECT_TRUE(definitions.atEnd());
    std::string bytes = "old";
    DataFileStatus status;
    EXPECT_FALSE(readWholeDataFile(endless, MaxDefinitionFileBytes, bytes, &status));
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(status.problem, DataFileProblem::NeverEnds);
    EXPECT_NE(describeDataFileProblem(status, MaxDefinitionFileBytes).find("never end"), std::string::npos);
    RgbaImage image;
    EXPECT_FALSE(readImageFile(endless, image));
    EXPECT_FALSE(isPlayableWavFile(endless));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
}

// A file that grows once it is open, as one still being written does: its next bytes are
// appended the moment any reader opens it.
std::string growingFile;

void growOnOpening(const std::string& path) {
    if (path == growingFile)
        std::ofstream(path, std::ios::binary | std::ios::app) << "platform start 0 30 end 39 30\n";
}

TEST(DataFile, AFileThatGrowsOnceOpenIsReadToItsReportedSizeAndRefused) {
    HostileFolder folder;
    const std::string text = "entrypoint position 1 29 side left\n";
    growingFile = folder.write("room.txt", text);
    void (*const before)(const std::string&) = onDataFileOpened;
    onDataFileOpened = growOnOpening;

    DataFile file = openDataFile(growingFile, MaxDefinitionFileBytes);
    ASSERT_TRUE(file);
    EXPECT_EQ(file.size(), text.size());
    std::string bytes(1000, '\0');
    bytes.resize(file.read(bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, text);
    EXPECT_EQ(file.read(bytes.data(), bytes.size()), 0u);
    EXPECT_FALSE(file.endsWhereReported());
    EXPECT_EQ(file.status().problem, DataFileProblem::NeverEnds);

    // Rooms, sets and key scripts: nothing of such a file is taken.
    DataFileStatus status;
    EXPECT_FALSE(readWholeDataFile(growingFile, MaxDefinitionFileBytes, bytes, &status));
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(status.problem, DataFileProblem::NeverEnds);
    DefinitionFile definitions;
    EXPECT_FALSE(definitions.open(growingFile));

    // An image whose bytes go on past its reported end.
    growingFile =
        folder.write("image.png", readText(fs::path(MARROWGAST_TEST_DATA) / "graphics/palette.png"));
    RgbaImage image;
    EXPECT_FALSE(readImageFile(growingFile, image));

    // Once they stop growing, the same files read whole.
    growingFile.clear();
    EXPECT_TRUE(readImageFile(folder / "image.png", image));
    EXPECT_TRUE(readWholeDataFile(folder / "room.txt", MaxDefinitionFileBytes, bytes));
    EXPECT_EQ(bytes.size(), fs::file_size(folder / "room.txt"));
    onDataFileOpened = before;
}

// A name is found in the data folder byte for byte: UTF-8 reaches the system unchanged, and a
// name that says where it is stays there.
TEST(DataFile, NamesAreJoinedToTheDataFolderAsTheyAre) {
    HostileFolder folder;
    const std::string name = "res/r\xc3\xb6\xc3\xb6m.txt";
    fs::create_directories(folder.path("res"));
    // Made as the game makes files: std::filesystem would take the bytes for Windows' code page.
    std::string why;
    ASSERT_TRUE(replaceFile(folder.path("res") + "/r\xc3\xb6\xc3\xb6m.txt", "bytes", why)) << why;
    const std::string before = dataFolder();
    std::string root = folder.path("");
    root.pop_back(); // no separator at its end, as the game's folders have none
    setDataFolder(root);
    const std::string found = dataFilePath(name);
    EXPECT_EQ(found.substr(0, root.size()), root);
    EXPECT_EQ(found.substr(found.size() - name.size()), name);
    EXPECT_EQ(found.size(), root.size() + 1 + name.size());
    std::string bytes;
    EXPECT_TRUE(readWholeDataFile(name, MaxDefinitionFileBytes, bytes));
    EXPECT_EQ(bytes, "bytes");
    const std::string elsewhere = folder.path("elsewhere.txt");
    EXPECT_EQ(dataFilePath(elsewhere), elsewhere);
    setDataFolder(before);
}

} // namespace
