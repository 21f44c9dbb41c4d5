// Message boxes shown with QMessageBox, always on the UI thread: asked from a worker,
// the question travels to the UI thread and the worker waits for the answer. Once
// shutdown has begun nobody can answer, so a worker gets the safe answer at once.
#pragma once

#include "messageboxes.h"
#include "uithread.h"

#include <QMessageBox>
#include <QPointer>

#include <functional>
#include <vector>

namespace oxbow::ui {

class QtMessageBoxes final : public MessageBoxes {
public:
    explicit QtMessageBoxes(UiThread& ui, QWidget* parent = nullptr) : m_ui(ui), m_parent(parent) {}
    MessageAnswer Ask(const MessageQuestion& question) override;
    void SetParent(QWidget* parent) { m_parent = parent; }

    // Called on the UI thread with every box just before it is shown modally; tests use
    // it to answer the box (a click on one of its buttons once it is up).
    void SetShowHook(std::function<void(QMessageBox&)> hook) { m_showHook = std::move(hook); }

    // The program is ending: every box still up closes with its safe answer, and every later
    // question gets that answer without a box (UI thread).
    void DismissAll();

private:
    MessageAnswer AskHere(const MessageQuestion& question);

    UiThread& m_ui;
    QPointer<QWidget> m_parent;
    std::function<void(QMessageBox&)> m_showHook;
    std::vector<QPointer<QMessageBox>> m_open; // boxes up now, innermost last
    bool m_dismissed = false;
};

// The QMessageBox buttons of a button set, and the answer a clicked button means.
QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons);
MessageAnswer AnswerOf(QMessageBox::StandardButton clicked, MessageButtons offered);

} // namespace oxbow::ui
