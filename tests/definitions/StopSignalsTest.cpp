#include "definitions/StopRequests.h"

#include <gtest/gtest.h>

#ifndef __unix__
TEST(StopSignals, AreThePosixOnes) {
    GTEST_SKIP() << "SIGTERM and SIGINT, and the child processes that take them, are POSIX's";
}
#else

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `body` in a forked child and returns how the child ended, so a signal that ends the
// process ends only the child. The child reports through its exit status.
template <class Body> int statusOfChild(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        // A suite started in the background from a script inherits SIGINT ignored.
        std::signal(SIGINT, SIG_DFL);
        _exit(body());
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    return status;
}

TEST(StopSignals, TheFirstSignalAsksTheSecondEndsTheGame) {
    for (const int signal : {SIGTERM, SIGINT}) {
        const int status = statusOfChild([signal] {
            installStopSignals();
            if (stopRequested())
                return 10;
            std::raise(signal);
            if (!stopRequested())
                return 11;
            std::raise(signal);
            return 12; // still alive after the second signal
        });
        ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << signal << ": exit " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), signal);
    }
}

TEST(StopSignals, ASecondSignalOfTheOtherKindEndsTheGameToo) {
    const int status = statusOfChild([] {
        installStopSignals();
        std::raise(SIGTERM);
        std::raise(SIGINT);
        return stopRequested() ? 0 : 11;
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

TEST(StopSignals, ASignalTheGameWasStartedIgnoringStaysIgnored) {
    const int status = statusOfChild([] {
        std::signal(SIGINT, SIG_IGN);
        installStopSignals();
        std::raise(SIGINT);
        std::raise(SIGINT);
        if (stopRequested())
            return 11;
        std::raise(SIGTERM);
        return stopRequested() ? 0 : 12;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace

#endif
