// WinHTTP against a server that misbehaves on purpose (the reliability tests'
// hostile_server.py, address in TESSALY_TEST_HOSTILE): every fault ends the
// request with an answer the lookup can report, and none holds it for long.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/win32/win32_platform.h"

namespace tessaly {
namespace {

std::string hostile() {
    const char* v = std::getenv("TESSALY_TEST_HOSTILE");
    return v ? v : "";
}

struct Answer {
    FetchResult r;
    long long ms = 0;
};

Answer fetch(const std::string& path) {
    Win32Platform p;
    auto t0 = std::chrono::steady_clock::now();
    int id = p.fetch_start(hostile() + path);
    p.pump_until([&] { return p.fetch_done(id); });
    Answer a;
    a.ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    a.r = p.fetch_take(id);
    return a;
}

TEST(Win32HostileWeb, BodyOverTheCapIsAFailedTransfer) {
    if (hostile().empty()) GTEST_SKIP() << "TESSALY_TEST_HOSTILE not set";
    Answer a = fetch("/huge/3000000/findNearbyPlaceName?lat=1&lng=2");
    EXPECT_FALSE(a.r.ok);
    EXPECT_EQ(a.r.error, kReplyTooLarge);
    EXPECT_EQ(a.r.error_number, kReplyTooLargeNumber);
    EXPECT_TRUE(a.r.body.empty());
    // Just under the cap is an ordinary reply.
    Answer ok = fetch("/huge/1000000/findNearbyPlaceName?lat=1&lng=2");
    EXPECT_TRUE(ok.r.ok) << ok.r.error;
    EXPECT_EQ(ok.r.body.size(), 1000000u);
}

TEST(Win32HostileWeb, ResetMidBodyAndRedirectLoopFail) {
    if (hostile().empty()) GTEST_SKIP() << "TESSALY_TEST_HOSTILE not set";
    Answer reset = fetch("/reset/findNearbyPlaceName?lat=1&lng=2");
    EXPECT_FALSE(reset.r.ok);
    EXPECT_NE(reset.r.error_number, 0);
    Answer loop = fetch("/redirect/findNearbyPlaceName?lat=1&lng=2");
    EXPECT_FALSE(loop.r.ok);
    EXPECT_NE(loop.r.error_number, 0);
    EXPECT_LT(loop.ms, 9000);  // stopped by the redirect limit, not the timeout
}

TEST(Win32HostileWeb, ErrorStatusesArriveAsAnswers) {
    if (hostile().empty()) GTEST_SKIP() << "TESSALY_TEST_HOSTILE not set";
    for (int code : {401, 500, 503}) {
        Answer a = fetch("/status/" + std::to_string(code) + "/findNearbyPlaceName?lat=1&lng=2");
        EXPECT_TRUE(a.r.ok) << code << ": " << a.r.error;
        EXPECT_EQ(a.r.http_status, code);
        EXPECT_NE(a.r.body.find("Error"), std::string::npos);
    }
}

}  // namespace
}  // namespace tessaly
