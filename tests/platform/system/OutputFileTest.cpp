#include "platform/OutputFile.h"
#include "support/ReadText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <tuple>

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/stat.h>
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
// What a name leads to decides whether it is opened (through a link, only a stream), and real
// failures give the system's reasons. Nothing is emptied; a failed replace leaves no temporary.
TEST(OutputFile, RefusalsAndSystemFailuresGiveTheirReasonsAndKeepWhatWasThere) {
    TempDir folder;
    const std::string file = folder.write("room.txt", "keep me");
    std::filesystem::create_symlink(file, folder.path("link"));
    std::filesystem::create_symlink("/dev/null", folder.path("null"));
    ASSERT_EQ(mkfifo(folder.path("pipe").c_str(), 0666), 0);
    const auto File = OutputFile::Accept::RegularFile;
    const auto Stream = OutputFile::Accept::RegularFileOrStream;
    const std::tuple<std::string, OutputFile::Accept, std::string> cases[] = {
        {folder.path("null"), Stream, ""},
        {folder.path("null"), File, "it is a symbolic link"},
        {folder.path("link"), Stream,
         "it is a symbolic link; only a pipe or a device is written through one"},
        {folder.path("pipe"), File, "it is a pipe, not a regular file"},
        {"/dev/null", File, "it is a device, not a regular file"},
        {folder.path(""), Stream, "it is a directory"},
    };
    for (const auto& [name, accept, expected] : cases) {
        OutputFile output;
        std::string why;
        EXPECT_EQ(output.open(name, accept, why), expected.empty()) << name;
        EXPECT_EQ(why, expected) << name;
    }
    OutputFile first;
    OutputFile second;
    std::string why;
    ASSERT_TRUE(first.open(file, File, why) && first.lock(why) && second.open(file, File, why)) << why;
    EXPECT_FALSE(second.lock(why));
    EXPECT_EQ(why, "another program is writing it");

    ASSERT_TRUE(first.open("/dev/full", Stream, why)) << why;
    EXPECT_FALSE(first.write("trace", why));
    EXPECT_EQ(why, "No space left on device");
    ASSERT_TRUE(first.close(why));
    EXPECT_FALSE(first.truncate(0, why));
    std::string lockWhy;
    EXPECT_FALSE(first.lock(lockWhy));
    EXPECT_EQ(why + ", " + lockWhy, "Bad file descriptor, Bad file descriptor");
    const auto limited = [&](int resource, rlim_t to, auto action) {
        rlimit before{};
        getrlimit(resource, &before);
        const rlimit lowered{to, before.rlim_max};
        ASSERT_EQ(setrlimit(resource, &lowered), 0);
        action();
        setrlimit(resource, &before);
    };
    auto* const previous = std::signal(SIGXFSZ, SIG_IGN); // past the limit, a write fails, not the process
    limited(RLIMIT_FSIZE, 1000, [&] { EXPECT_FALSE(replaceFile(file, std::string(3000, 'x'), why)); });
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(why, "File too large");
    limited(RLIMIT_NOFILE, 0, [&] {
        EXPECT_FALSE(replaceFile(file, "x", why));
        EXPECT_EQ(why, "Too many open files");
        EXPECT_FALSE(first.open(folder.path("new.txt"), File, why));
        EXPECT_EQ(why, "Too many open files");
    });
    EXPECT_EQ(readText(file), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("")), {}), 4);
}
#endif

} // namespace
