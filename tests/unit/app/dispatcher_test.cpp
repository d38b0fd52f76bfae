// The one event dispatcher of the drivers: the re-entry rule under message
// boxes and the catch-all's report of whatever escapes a handler.
#include "app/dispatcher.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/failure.h"

namespace tessaly {
namespace {

struct Reports {
    std::vector<std::string> texts;
    std::vector<bool> critical;
    Dispatcher::Report fn() {
        return [this](const std::string& t, bool c) {
            texts.push_back(t);
            critical.push_back(c);
        };
    }
};

TEST(Dispatcher, AHandlerWhoseBoxIsOpenIsNotEnteredAgain) {
    Dispatcher d;
    int a = 0, b = 0, inner_a = 0;
    bool dropped = false;
    const int key_a = 0, key_b = 0;
    d.deliver(&key_a, [&] {
        ++a;
        // Without a box: a nested event of the same handler runs.
        d.deliver(&key_a, [&] { ++inner_a; });
        d.modal(true);  // its box: the loop delivers what arrives meanwhile
        dropped = !d.deliver(&key_a, [&] { ++a; });
        d.deliver(&key_b, [&] { ++b; });  // another handler runs
        d.modal(false);
        d.deliver(&key_a, [&] { ++inner_a; });  // the box is closed again
    });
    EXPECT_TRUE(dropped);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(inner_a, 2);
    // A handler entered while a box was already open runs under it, and a
    // handler that threw is not left marked as running.
    d.modal(true);
    EXPECT_TRUE(d.deliver(&key_a, [] { throw 1; }));
    EXPECT_TRUE(d.deliver(&key_a, [&] { ++a; }));
    d.modal(false);
    EXPECT_EQ(a, 2);
}

TEST(Dispatcher, EveryEscapedKindIsReportedOnceThroughOnePath) {
    Reports r;
    Dispatcher d(r.fn());
    const int key = 0;
    d.deliver(&key, [] { fail_subscript(); });
    d.deliver(&key, [] { throw std::runtime_error("disk on fire"); });
    d.deliver(&key, [] { throw 42; });
    d.deliver(&key, [] { throw 42; });  // the same fault again: one box, not a stream
    ASSERT_EQ(r.texts.size(), 3u);
    EXPECT_EQ(r.texts[0], "Source: Tessaly Description: Subscript out of range\rNumber: 9");
    EXPECT_FALSE(r.critical[0]);
    EXPECT_EQ(r.texts[1], "An unexpected error occurred: disk on fire. Tessaly keeps running.");
    EXPECT_EQ(r.texts[2], "An unexpected error occurred. Tessaly keeps running.");
    EXPECT_TRUE(r.critical[1] && r.critical[2]);
    // The driver's own errors (a script's) pass through unreported.
    struct DriverError {};
    d.let_through([](const std::exception_ptr& e) {
        try {
            std::rethrow_exception(e);
        } catch (const DriverError&) {
            return true;
        } catch (...) {
            return false;
        }
    });
    EXPECT_THROW(d.deliver(&key, [] { throw DriverError(); }), DriverError);
    EXPECT_EQ(r.texts.size(), 3u);
    d.modal(true);
    EXPECT_TRUE(d.deliver(&key, [] {}));  // and leave no mark of a running handler
    d.modal(false);
}

TEST(Dispatcher, AFailedCheckPassesSkipOnFailureAndIsReportedWithFileAndLine) {
    Reports r;
    Dispatcher d(r.fn());
    int steps = 0, line = 0;
    const int key = 0;
    d.deliver(&key, [&] {
        skip_on_failure([&] { fail_overflow(); });  // a failed step is skipped on purpose
        ++steps;
        skip_on_failure([&] {
            line = __LINE__ + 1;
            TESSALY_CHECK(1 + 1 == 3);
        });
        ++steps;  // not reached: a broken invariant ends the handler
    });
    EXPECT_EQ(steps, 1);
    ASSERT_EQ(r.texts.size(), 1u);
    EXPECT_EQ(r.texts[0],
              "Source: Tessaly Description: Check failed: 1 + 1 == 3 at "
              "dispatcher_test.cpp:" +
                  std::to_string(line) + "\rNumber: 51");
    EXPECT_TRUE(r.critical[0]);
    TESSALY_CHECK(2 + 2 == 4);  // a kept invariant does nothing
}

}  // namespace
}  // namespace tessaly
