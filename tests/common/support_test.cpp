// The shared doubles are what other tests trust to tell a fault from a pass.
#include <gtest/gtest.h>

#include "recording_prompts.h"
#include "virtual_clock.h"

namespace {

TEST(VirtualClock, ActionsRunInTimeOrderAndMayScheduleMore) {
    VirtualClock clock(0xFFFFFFF6u, QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59, 990)));
    std::vector<int> order;
    clock.after(30, [&] { order.push_back(3); });
    clock.after(10, [&] {
        order.push_back(1);
        clock.after(0, [&] { order.push_back(2); });  // due at once: same pump
    });
    clock.pump();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(clock.tickCount(), 0u);
    EXPECT_EQ(clock.today(), QDate(2024, 3, 6));  // the date follows virtual time
    clock.advance(50);
    EXPECT_EQ(order.size(), 2u);  // advancing alone runs nothing
    clock.pump();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(clock.pendingActions(), 0u);
}

TEST(RecordingPrompts, AnswersFromTheScriptThenLikeAUserClosingTheBox) {
    RecordingPrompts prompts;
    prompts.scriptQuestion(Prompts::Answer::Yes);
    prompts.scriptInput(QStringLiteral("A123456789"));
    prompts.scriptOpenFile(std::nullopt);

    prompts.message("one");
    EXPECT_EQ(prompts.question("q1"), Prompts::Answer::Yes);
    EXPECT_EQ(prompts.question("q2"), Prompts::Answer::Closed);
    EXPECT_EQ(prompts.inputBox("cap", "id?", "def"), QStringLiteral("A123456789"));
    EXPECT_EQ(prompts.inputBox("cap", "again?", ""), std::nullopt);
    EXPECT_EQ(prompts.openFile("/tmp", "name", "*.exe"), std::nullopt);
    prompts.message("two");

    EXPECT_EQ(prompts.messages(), (QStringList{"one", "two"}));
    EXPECT_EQ(prompts.questions(), (QStringList{"q1", "q2"}));
    ASSERT_EQ(prompts.records().size(), 7u);
    EXPECT_EQ(prompts.records()[3].caption, "cap");
    EXPECT_EQ(prompts.records()[5].filter, "name|*.exe");
    EXPECT_EQ(prompts.unscriptedCount(), 2);
    EXPECT_TRUE(prompts.allScriptUsed());

    prompts.scriptQuestion(Prompts::Answer::No);
    EXPECT_FALSE(prompts.allScriptUsed());
}

}  // namespace
