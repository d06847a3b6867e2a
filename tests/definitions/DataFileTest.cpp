#include "definitions/DataFile.h"
#include "definitions/DefinitionFile.h"
#include "graphics/RgbaImage.h"
#include "platform/ImageFile.h"
#include "platform/SoundFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// A folder holding every kind of name an archive can carry that is not a regular file.
struct HostileFolder : TempDir {
    HostileFolder() {
        fs::create_directories(path("directory"));
        ::mkfifo(path("fifo").c_str(), 0600);
        fs::create_symlink("/dev/zero", path("zero"));
        fs::create_symlink(path("loop"), path("loop"));
        fs::create_symlink(path("fifo"), path("link-to-fifo"));
    }
    std::string operator/(const char* name) const { return path(name); }
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
    EXPECT_EQ(dataFileProblem(folder / "fifo", 1), DataFileProblem::NotRegular);
    EXPECT_EQ(dataFileProblem(folder / "zero", 1), DataFileProblem::NotRegular);
    EXPECT_EQ(dataFileProblem(folder / "missing", 1), DataFileProblem::Missing);
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

} // namespace
