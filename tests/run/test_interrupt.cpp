// SIGINT, SIGTERM, SIGHUP and SIGXCPU are recorded, and end the run with
// 130, 143, 129 and 152; SIGPIPE and SIGXFSZ are ignored meanwhile.
#include <gtest/gtest.h>

#include <csignal>

#include "common/stop_request.hpp"
#include "run/interrupt.hpp"
#include "common/run_failure.hpp"

namespace tidmor {
namespace {

int status_of_stop() {
    try {
        stop_interrupted("at model time 1 s");
    } catch (const RunFailure& failure) {
        return failure.status();
    }
    return -1;
}

TEST(Interrupt, SignalsAreRecordedWhileTheHandlersAreInstalled) {
    {
        const InterruptHandlers handlers;
        EXPECT_EQ(pending_interrupt(), 0);
        std::raise(SIGTERM);  // recorded, not fatal
        EXPECT_EQ(pending_interrupt(), SIGTERM);
        EXPECT_EQ(status_of_stop(), 143);
        std::raise(SIGINT);
        EXPECT_EQ(pending_interrupt(), SIGINT);
        EXPECT_EQ(status_of_stop(), 130);
        std::raise(SIGHUP);
        EXPECT_EQ(pending_interrupt(), SIGHUP);
        EXPECT_EQ(status_of_stop(), 129);
        std::raise(SIGXCPU);
        EXPECT_EQ(pending_interrupt(), SIGXCPU);
        EXPECT_EQ(status_of_stop(), 152);
        std::raise(SIGPIPE);  // ignored, not fatal, not a stop
        std::raise(SIGXFSZ);
        EXPECT_EQ(pending_interrupt(), SIGXCPU);
    }
    struct sigaction after {};
    sigaction(SIGPIPE, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL);  // put back
    // A new run starts with nothing recorded.
    const InterruptHandlers next_run;
    EXPECT_EQ(pending_interrupt(), 0);
}

TEST(Interrupt, MessageSaysWhichSignalAndWhere) {
    request_interrupt(SIGINT);
    try {
        stop_interrupted("at model time 96.5 s (after step 3010)");
        FAIL();
    } catch (const RunFailure& failure) {
        EXPECT_EQ(std::string(failure.what()), "run interrupted by SIGINT at model time 96.5 s (after step 3010)");
    }
    request_interrupt(0);
}

}  // namespace
}  // namespace tidmor
