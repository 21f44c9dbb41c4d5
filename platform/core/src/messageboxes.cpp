#include "messageboxes.h"

#include <atomic>

namespace oxbow {

namespace {
std::atomic<MessageBoxes*> g_installed{nullptr};
}

MessageAnswer SafeAnswer(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Abort;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
    case MessageButtons::RetryCancel:
        break;
    }
    return MessageAnswer::Cancel;
}

MessageBoxes* InstallMessageBoxes(MessageBoxes* boxes) {
    return g_installed.exchange(boxes);
}

MessageBoxes* InstalledMessageBoxes() {
    return g_installed.load();
}

MessageAnswer AskMessage(const MessageQuestion& question) {
    MessageBoxes* boxes = g_installed.load();
    return boxes ? boxes->Ask(question) : SafeAnswer(question.buttons);
}

void ScriptedMessageBoxes::QueueAnswer(MessageAnswer answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

MessageAnswer ScriptedMessageBoxes::Ask(const MessageQuestion& question) {
    std::lock_guard lock(mutex_);
    questions_.push_back(question);
    if (answers_.empty()) {
        return SafeAnswer(question.buttons);
    }
    MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::vector<MessageQuestion> ScriptedMessageBoxes::Questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
}

std::size_t ScriptedMessageBoxes::PendingAnswers() const {
    std::lock_guard lock(mutex_);
    return answers_.size();
}

} // namespace oxbow
