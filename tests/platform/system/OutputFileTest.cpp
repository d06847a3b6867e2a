#include "platform/OutputFile.h"
#include "support/ReadText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#if defined(__linux__)
#include <sys/resource.h>
#endif

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

#if defined(__linux__)
// Real failures of the system, each with its own reason: a full device, a file grown past this
// process's size limit, no descriptors left, an output already closed. A failed replace keeps
// what was there and leaves no temporary beside it.
TEST(OutputFile, SystemFailuresGiveTheirReasonsAndKeepWhatWasThere) {
    std::string why;
    OutputFile full;
    ASSERT_TRUE(full.open("/dev/full", OutputFile::Accept::RegularFileOrStream, why)) << why;
    EXPECT_FALSE(full.write("trace", why));
    EXPECT_EQ(why, "No space left on device");
    ASSERT_TRUE(full.close(why));
    EXPECT_FALSE(full.truncate(0, why));
    EXPECT_EQ(why, "Bad file descriptor");

    TempDir folder;
    const std::string file = folder.write("room.txt", "keep me");
    const auto limited = [&](int resource, rlim_t to, auto action) {
        rlimit before{};
        ASSERT_EQ(getrlimit(resource, &before), 0);
        rlimit lowered = before;
        lowered.rlim_cur = to;
        ASSERT_EQ(setrlimit(resource, &lowered), 0);
        action();
        ASSERT_EQ(setrlimit(resource, &before), 0);
    };
    // Past the size limit a write fails rather than ending the process.
    auto* const previous = std::signal(SIGXFSZ, SIG_IGN);
    limited(RLIMIT_FSIZE, 1000, [&] { EXPECT_FALSE(replaceFile(file, std::string(3000, 'x'), why)); });
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(why, "File too large");
    limited(RLIMIT_NOFILE, 0, [&] {
        EXPECT_FALSE(replaceFile(file, "x", why));
        EXPECT_EQ(why, "Too many open files");
        EXPECT_FALSE(full.open(folder.path("new.txt"), OutputFile::Accept::RegularFile, why));
        EXPECT_EQ(why, "Too many open files");
    });
    EXPECT_EQ(readText(file), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("")), {}), 1);
}
#endif

} // namespace
