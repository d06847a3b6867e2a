#include "platform/OutputFile.h"
#include "support/ReadText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// A name that leads nowhere writable gets the system's own reason, and nothing is made or
// changed; a file cut short is written on from its new end.
TEST(OutputFile, NamesLeadingNowhereAreRefusedAndACutFileGoesOnFromItsEnd) {
#ifndef __unix__
    GTEST_SKIP() << "symbolic links and these reasons are the POSIX ones";
#endif
    TempDir folder;
    const std::string file = folder.write("room.txt", "keep me");
    std::string why;
    EXPECT_FALSE(replaceFile(file + "/x", "bytes", why));
    EXPECT_EQ(why, "Not a directory");
    OutputFile output;
    why.clear();
    EXPECT_FALSE(output.open(file + "/x", OutputFile::Accept::RegularFileOrStream, why));
    EXPECT_EQ(why, "Not a directory");
    std::filesystem::create_symlink("gone", folder.path("dangling"));
    EXPECT_FALSE(output.open(folder.path("dangling"), OutputFile::Accept::RegularFileOrStream, why));
    EXPECT_EQ(why, "it is a symbolic link to nothing that can be written (No such file or directory)");
    EXPECT_FALSE(output.isOpen());
    EXPECT_FALSE(std::filesystem::exists(folder.path("gone")));

    ASSERT_TRUE(output.open(file, OutputFile::Accept::RegularFile, why)) << why;
    ASSERT_TRUE(output.truncate(4, why) && output.write("!", why) && output.close(why)) << why;
    EXPECT_EQ(readText(file), "keep!");
}

} // namespace
