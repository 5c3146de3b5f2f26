// The download counts on their way to the tiles: one message per task at a
// time, at most one a frame, the newest count taken when it arrives, and a
// count held back handed over before the task's next other event.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "VQCore/app/mainwindow/ProgressMailbox.h"

namespace Tessar {
namespace Test {
namespace {

// One step of a task's reports and of the window's reading.
struct Step {
    enum Kind { kOffer, kTakeWaiting, kTake } kind;
    uint64_t value;   // kOffer: the count
    uint32_t now;     // kOffer: the tick
    bool expected;    // what the call returns
    uint64_t taken;   // kTake: the count it gives
};

TEST(ProgressMailbox, PostsOneCountAtATimeAndHandsOverTheNewest) {
    const uint32_t frame = kProgressEveryMs;
    struct Case {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"the first count is posted at once",
         {{Step::kOffer, 10, 1000, true, 0}, {Step::kTake, 0, 0, true, 10}}},
        {"counts while one is on its way wait, and the newest is taken",
         {{Step::kOffer, 10, 1000, true, 0},
          {Step::kOffer, 20, 1001, false, 0},
          {Step::kOffer, 30, 1002, false, 0},
          {Step::kTake, 0, 0, true, 30},
          {Step::kTakeWaiting, 0, 0, false, 0}}},
        {"within a frame of the last message a count waits",
         {{Step::kOffer, 10, 1000, true, 0},
          {Step::kTake, 0, 0, true, 10},
          {Step::kOffer, 20, 1000 + frame - 1, false, 0},
          {Step::kOffer, 30, 1000 + frame, true, 0},
          {Step::kTake, 0, 0, true, 30}}},
        {"a count held back goes before the task's next event",
         {{Step::kOffer, 10, 1000, true, 0},
          {Step::kTake, 0, 0, true, 10},
          {Step::kOffer, 20, 1001, false, 0},
          {Step::kTakeWaiting, 0, 0, true, 0},
          {Step::kTakeWaiting, 0, 0, false, 0},
          {Step::kTake, 0, 0, true, 20}}},
        {"nothing held back, nothing to hand over",
         {{Step::kTakeWaiting, 0, 0, false, 0},
          {Step::kOffer, 10, 1000, true, 0},
          {Step::kTakeWaiting, 0, 0, false, 0},
          {Step::kTake, 0, 0, true, 10},
          {Step::kTakeWaiting, 0, 0, false, 0}}},
        {"no message on its way, nothing to take",
         {{Step::kTake, 0, 0, false, 0}, {Step::kOffer, 10, 1000, true, 0}, {Step::kTake, 0, 0, true, 10},
          {Step::kTake, 0, 0, false, 0}}},
        {"the tick turning over does not hold counts back",
         {{Step::kOffer, 10, 0xFFFFFFF0u, true, 0},
          {Step::kTake, 0, 0, true, 10},
          {Step::kOffer, 20, 0xFFFFFFF0u + frame, true, 0},
          {Step::kTake, 0, 0, true, 20}}},
    };
    for (const Case& c : cases) {
        VQProgressMailbox mailbox;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            uint64_t taken = 0;
            bool result = false;
            switch (step.kind) {
            case Step::kOffer: result = mailbox.Offer(7, step.value, step.now); break;
            case Step::kTakeWaiting: result = mailbox.TakeWaiting(7); break;
            case Step::kTake: result = mailbox.Take(7, taken); break;
            }
            EXPECT_EQ(step.expected, result) << c.name << ", step " << i;
            if (step.kind == Step::kTake && step.expected) {
                EXPECT_EQ(step.taken, taken) << c.name << ", step " << i;
            }
        }
    }
}

TEST(ProgressMailbox, TasksKeepTheirOwnCounts) {
    VQProgressMailbox mailbox;
    EXPECT_TRUE(mailbox.Offer(1, 100, 1000));
    EXPECT_TRUE(mailbox.Offer(2, 200, 1000));
    EXPECT_FALSE(mailbox.Offer(1, 150, 1001));
    uint64_t taken = 0;
    EXPECT_TRUE(mailbox.Take(2, taken));
    EXPECT_EQ(200u, taken);
    EXPECT_TRUE(mailbox.Take(1, taken));
    EXPECT_EQ(150u, taken);
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
