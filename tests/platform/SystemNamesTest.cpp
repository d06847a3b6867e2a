// The names and bytes where Windows differs from Linux: device names in every folder, a
// file's second streams, text-mode line ends, and names in UTF-8.
#include "definitions/DataFile.h"
#include "graphics/RgbaImage.h"
#include "platform/ImageFile.h"
#include "platform/OutputFile.h"
#include "platform/system/FileStamp.h"
#include "platform/system/TemporaryFolder.h"
#include "support/Pixels.h"
#include "support/ReadText.h"
#include "support/System.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::string readBack(const std::string& name) {
    std::string bytes;
    DataFileStatus status;
    if (!readWholeDataFile(name, MaxDefinitionFileBytes, bytes, &status))
        return "unreadable: " + describeDataFileProblem(status, MaxDefinitionFileBytes);
    return bytes;
}

TEST(WindowsNames, DeviceNamesAreNeitherReadNorWritten) {
    if (!OnWindows)
        GTEST_SKIP() << "only Windows keeps NUL, CON, COM1... as devices in every folder";
    TempDir folder;
    for (const std::string& name :
         {std::string("NUL"), std::string("con"), std::string("COM1"), std::string("nul.txt"),
          std::string("Aux .png"), folder.path("PRN"), folder.path("sub") + "\\lpt1.log",
          std::string("\\\\.\\pipe\\marrowgast"), std::string("//./COM1"), std::string("CONOUT$")}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(dataFileProblem(name, MaxDefinitionFileBytes), DataFileProblem::NotRegular);
        std::string why;
        EXPECT_FALSE(replaceFile(name, "x", why));
        EXPECT_EQ(why, "it is a device, not a regular file");
        OutputFile output;
        EXPECT_FALSE(output.open(name, OutputFile::Accept::RegularFile, why));
        EXPECT_FALSE(output.isOpen());
    }
    // A stream may go to NUL, as to /dev/null elsewhere.
    std::string why;
    OutputFile stream;
    ASSERT_TRUE(stream.open("NUL", OutputFile::Accept::RegularFileOrStream, why)) << why;
    EXPECT_TRUE(stream.write("trace\n", why)) << why;
    EXPECT_FALSE(stream.created());
    // Names that only look like devices are files.
    for (const char* name : {"NULL", "COM10", "console.txt", "auxiliary"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(replaceFile(folder.path(name), name, why)) << why;
        EXPECT_EQ(readBack(folder.path(name)), name);
    }
}

TEST(WindowsNames, AlternateDataStreamsAreNeitherReadNorWritten) {
    if (!OnWindows)
        GTEST_SKIP() << "only Windows names a file's second stream FILE:STREAM; elsewhere ':' is a letter";
    TempDir folder;
    const std::string file = folder.write("room.txt", "plain");
    for (const std::string& name : {file + ":hidden", file + "::$DATA", folder.path("new.txt:stream")}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(dataFileProblem(name, MaxDefinitionFileBytes), DataFileProblem::NotRegular);
        std::string why;
        EXPECT_FALSE(replaceFile(name, "x", why));
        EXPECT_EQ(why, "it names an alternate data stream (FILE:STREAM), not a regular file");
        OutputFile output;
        EXPECT_FALSE(output.open(name, OutputFile::Accept::RegularFileOrStream, why));
    }
    EXPECT_EQ(readText(file), "plain");
    EXPECT_FALSE(std::filesystem::exists(folder.path("new.txt")));
    // The drive's colon is no stream.
    EXPECT_EQ(readBack(file), "plain");
}

// Text mode would write "\r\n" for every "\n", and read "\r\n" back as "\n" and stop at ^Z.
TEST(SystemFiles, BytesGoOutAndComeBackExactly) {
    TempDir folder;
    const std::string bytes =
        std::string("\x89PNG\r\n\x1a\n", 8) + "line\nline\r\nend\x1a" + std::string(1, '\0') + "\n";
    std::string why;
    ASSERT_TRUE(replaceFile(folder.path("replaced.bin"), bytes, why)) << why;
    EXPECT_EQ(readText(folder.path("replaced.bin")), bytes);
    EXPECT_EQ(readBack(folder.path("replaced.bin")), bytes);
    OutputFile output;
    ASSERT_TRUE(output.open(folder.path("written.bin"), OutputFile::Accept::RegularFile, why)) << why;
    ASSERT_TRUE(output.write(bytes, why) && output.close(why)) << why;
    EXPECT_EQ(readText(folder.path("written.bin")), bytes);
    // Opened again on a file that was there, the same output does not count it as its own.
    ASSERT_TRUE(output.open(folder.path("replaced.bin"), OutputFile::Accept::RegularFile, why)) << why;
    EXPECT_FALSE(output.created());
    output.discard();
    EXPECT_EQ(readText(folder.path("replaced.bin")), bytes);

    // Every byte value in the pixels, so the compressed rows hold 0x0A and 0x0D.
    RgbaImage image;
    image.width = 64;
    image.height = 16;
    for (int i = 0; i < image.width * image.height * 4; ++i)
        image.pixels.push_back(static_cast<std::uint8_t>(i * 7 % 256));
    for (std::size_t i = 3; i < image.pixels.size(); i += 4)
        image.pixels[i] = 255;
    ASSERT_TRUE(writePngFile(folder.path("picture.png"), image, false, &why) && why.empty()) << why;
    RgbaImage back;
    ASSERT_TRUE(readImageFile(folder.path("picture.png"), back));
    EXPECT_EQ(differingPixels(image, back), 0);
}

TEST(SystemFiles, NamesInUtf8AreFilesLikeAnyOther) {
    TempDir folder;
    std::string pattern = folder.path("Grüße-日本-XXXXXX");
    int error = 0;
    ASSERT_TRUE(makeUniqueFolder(pattern, error)) << error;
    EXPECT_EQ(pattern.rfind(folder.path("Grüße-日本-"), 0), 0u) << pattern;
    const std::string room = pattern + "/zimmer-ß.txt";
    std::string why;
    ASSERT_TRUE(replaceFile(room, "ein Raum\n", why)) << why;
    EXPECT_EQ(readBack(room), "ein Raum\n");
    const FileStamp stamp = fileStampOf(room);
    EXPECT_TRUE(stamp.exists);
    EXPECT_EQ(stamp.size, 9);
    OutputFile output;
    ASSERT_TRUE(output.open(pattern + "/spur-é.trace", OutputFile::Accept::RegularFile, why)) << why;
    EXPECT_TRUE(output.created());
    ASSERT_TRUE(output.write("0 1 2\n", why) && output.close(why)) << why;
    EXPECT_EQ(readBack(pattern + "/spur-é.trace"), "0 1 2\n");
    // The same name in other letters is another file.
    EXPECT_FALSE(fileStampOf(pattern + "/zimmer-s.txt").exists);
}

} // namespace
