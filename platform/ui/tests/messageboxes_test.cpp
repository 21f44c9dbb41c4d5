#include "qtapp.h"
#include "qtmessageboxes.h"
#include "qtplatform.h"

#include <QAbstractButton>

#include <future>

namespace oxbow::ui {
namespace {

const MessageQuestion kLinkLost{"Please confirm connecting system is right!", "Oxbow",
                                MessageButtons::AbortRetryIgnore, MessageIcon::Warning, true};

TEST(QtMessageBoxes, AWorkersQuestionIsShownOnTheUiThreadAndAnswered) {
    UiThread ui;
    QtMessageBoxes boxes(ui);
    QString shownText;
    QThread* shownOn = nullptr;
    boxes.SetShowHook([&](QMessageBox& box) {
        shownText = box.text();
        shownOn = QThread::currentThread();
        EXPECT_EQ(box.standardButtons(),
                  QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        QTimer::singleShot(0, &box, [&box] { box.button(QMessageBox::Retry)->click(); });
    });

    EXPECT_EQ(test::OnWorker([&] { return boxes.Ask(kLinkLost); }), MessageAnswer::Retry);
    EXPECT_EQ(shownText, QString::fromStdString(kLinkLost.text));
    EXPECT_EQ(shownOn, QThread::currentThread());
}

TEST(QtMessageBoxes, ClosingTheBoxGivesTheSafeAnswer) {
    UiThread ui;
    QtMessageBoxes boxes(ui);
    boxes.SetShowHook(
        [](QMessageBox& box) { QTimer::singleShot(0, &box, [&box] { box.reject(); }); });

    EXPECT_EQ(boxes.Ask(kLinkLost), MessageAnswer::Abort);
    EXPECT_EQ(boxes.Ask({"Replace?", "Oxbow", MessageButtons::YesNo}), MessageAnswer::No);
}

TEST(QtMessageBoxes, AfterShutdownAWorkerGetsTheSafeAnswerWithoutABox) {
    UiThread ui;
    QtMessageBoxes boxes(ui);
    bool shown = false;
    boxes.SetShowHook([&](QMessageBox&) { shown = true; });
    ui.BeginShutdown();

    auto answer = std::async(std::launch::async, [&] { return boxes.Ask(kLinkLost); });
    ASSERT_EQ(answer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(answer.get(), MessageAnswer::Abort);
    EXPECT_FALSE(shown);
}

TEST(QtMessageBoxes, DismissingClosesTheOpenBoxesAndAnswersLaterQuestionsSafely) {
    UiThread ui;
    QtMessageBoxes boxes(ui);
    int shown = 0;
    // A question asked while another is up; the program ends while both are open.
    boxes.SetShowHook([&](QMessageBox& box) {
        if (++shown == 1)
            QTimer::singleShot(0, &box, [&] {
                EXPECT_EQ(boxes.Ask({"Replace?", "Oxbow", MessageButtons::YesNo}),
                          MessageAnswer::No);
            });
        else
            QTimer::singleShot(0, &box, [&] { boxes.DismissAll(); });
    });

    EXPECT_EQ(boxes.Ask(kLinkLost), MessageAnswer::Abort);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(boxes.Ask(kLinkLost), MessageAnswer::Abort);
    EXPECT_EQ(shown, 2) << "no box once dismissed";
}

TEST(QtMessageBoxes, ClickedButtonsMapToAnswersAndForeignButtonsToTheSafeOne) {
    EXPECT_EQ(AnswerOf(QMessageBox::Ignore, MessageButtons::AbortRetryIgnore),
              MessageAnswer::Ignore);
    EXPECT_EQ(AnswerOf(QMessageBox::Yes, MessageButtons::YesNoCancel), MessageAnswer::Yes);
    EXPECT_EQ(AnswerOf(QMessageBox::Ok, MessageButtons::OkCancel), MessageAnswer::Ok);
    EXPECT_EQ(AnswerOf(QMessageBox::Retry, MessageButtons::OkCancel), MessageAnswer::Cancel);
    EXPECT_EQ(AnswerOf(QMessageBox::NoButton, MessageButtons::YesNo), MessageAnswer::No);
}

} // namespace
} // namespace oxbow::ui

namespace oxbow::ui {
namespace {

TEST(QtPlatform, InstallsItsLayersForItsLifetimeAndPutsThePreviousOnesBack) {
    ScriptedMessageBoxes scripted;
    ScopedMessageBoxes before(scripted);
    {
        QtPlatform platform;
        EXPECT_EQ(InstalledMessageBoxes(), &platform.Boxes());
        EXPECT_EQ(InstalledDisplayLayer(), &platform.Display());

        // A worker's question goes through the installed boxes to the UI thread.
        platform.Boxes().SetShowHook([](QMessageBox& box) {
            QTimer::singleShot(0, &box, [&box] { box.button(QMessageBox::Ignore)->click(); });
        });
        EXPECT_EQ(test::OnWorker([] { return AskMessage(kLinkLost); }), MessageAnswer::Ignore);

        platform.BeginShutdown();
        EXPECT_EQ(test::OnWorker([] { return AskMessage(kLinkLost); }), MessageAnswer::Abort);
    }
    EXPECT_EQ(InstalledMessageBoxes(), &scripted);
    EXPECT_EQ(InstalledDisplayLayer(), nullptr);
}

} // namespace
} // namespace oxbow::ui
