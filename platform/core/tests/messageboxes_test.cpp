#include "messageboxes.h"

#include <gtest/gtest.h>

namespace {

using oxbow::MessageAnswer;
using oxbow::MessageButtons;
using oxbow::MessageIcon;
using oxbow::MessageQuestion;

const MessageQuestion kLinkLost{"Please confirm connecting system is right!", "Oxbow",
                                MessageButtons::AbortRetryIgnore, MessageIcon::Error, true};

TEST(SafeAnswer, NeverRetriesOrAccepts) {
    EXPECT_EQ(oxbow::SafeAnswer(MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(oxbow::SafeAnswer(MessageButtons::OkCancel), MessageAnswer::Cancel);
    EXPECT_EQ(oxbow::SafeAnswer(MessageButtons::AbortRetryIgnore), MessageAnswer::Abort);
    EXPECT_EQ(oxbow::SafeAnswer(MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_EQ(oxbow::SafeAnswer(MessageButtons::YesNoCancel), MessageAnswer::Cancel);
    EXPECT_EQ(oxbow::SafeAnswer(MessageButtons::RetryCancel), MessageAnswer::Cancel);
}

TEST(AskMessage, WithNothingInstalledGivesTheSafeAnswer) {
    ASSERT_EQ(oxbow::InstalledMessageBoxes(), nullptr);
    EXPECT_EQ(oxbow::AskMessage(kLinkLost), MessageAnswer::Abort);
    EXPECT_EQ(oxbow::AskMessage({"Replace?", "", MessageButtons::OkCancel}), MessageAnswer::Cancel);
}

TEST(ScriptedMessageBoxes, AnswersInOrderAndRecordsTheQuestions) {
    oxbow::ScriptedMessageBoxes boxes;
    oxbow::ScopedMessageBoxes installed(boxes);
    boxes.QueueAnswer(MessageAnswer::Retry);
    boxes.QueueAnswer(MessageAnswer::Ignore);
    EXPECT_EQ(oxbow::AskMessage(kLinkLost), MessageAnswer::Retry);
    EXPECT_EQ(boxes.PendingAnswers(), 1u);
    EXPECT_EQ(oxbow::AskMessage({"Save failed", "", MessageButtons::Ok}), MessageAnswer::Ignore);
    EXPECT_EQ(oxbow::AskMessage(kLinkLost), MessageAnswer::Abort); // queue empty: safe answer
    auto questions = boxes.Questions();
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_EQ(questions[0], kLinkLost);
    EXPECT_EQ(questions[1].text, "Save failed");
    EXPECT_EQ(questions[1].buttons, MessageButtons::Ok);
}

TEST(ScopedMessageBoxes, PutsThePreviousImplementationBack) {
    oxbow::ScriptedMessageBoxes outer;
    oxbow::ScriptedMessageBoxes inner;
    {
        oxbow::ScopedMessageBoxes first(outer);
        {
            oxbow::ScopedMessageBoxes second(inner);
            EXPECT_EQ(oxbow::InstalledMessageBoxes(), &inner);
        }
        EXPECT_EQ(oxbow::InstalledMessageBoxes(), &outer);
    }
    EXPECT_EQ(oxbow::InstalledMessageBoxes(), nullptr);
}

} // namespace
