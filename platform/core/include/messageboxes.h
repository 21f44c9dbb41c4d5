// Message boxes: the questions and notices the core asks the person at the screen.
// The UI installs the implementation that shows real boxes; tests install
// ScriptedMessageBoxes. With nothing installed nobody can answer, so every question
// gets its safe answer (see SafeAnswer).
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace oxbow {

enum class MessageButtons { Ok, OkCancel, AbortRetryIgnore, YesNo, YesNoCancel, RetryCancel };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

struct MessageQuestion {
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    bool systemModal = false;

    bool operator==(const MessageQuestion&) const = default;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the question and waits for the answer; may be called from any thread.
    virtual MessageAnswer Ask(const MessageQuestion& question) = 0;
};

// The answer that does nothing further: Cancel where offered, Abort for
// Abort/Retry/Ignore (never a retry loop nobody can leave), No for Yes/No, Ok for a notice.
MessageAnswer SafeAnswer(MessageButtons buttons);

// Installs the process-wide implementation (nullptr removes it) and returns the previous
// one. The caller keeps ownership and installs before the workers start, removes after
// they are joined.
MessageBoxes* InstallMessageBoxes(MessageBoxes* boxes);
MessageBoxes* InstalledMessageBoxes();

// Asks through the installed implementation, or answers SafeAnswer when none is installed.
MessageAnswer AskMessage(const MessageQuestion& question);

// Answers from a queue of scripted answers and records every question asked. When the
// queue is empty it gives the safe answer. Thread-safe.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    void QueueAnswer(MessageAnswer answer);
    MessageAnswer Ask(const MessageQuestion& question) override;

    std::vector<MessageQuestion> Questions() const;
    std::size_t PendingAnswers() const;

private:
    mutable std::mutex mutex_;
    std::deque<MessageAnswer> answers_;
    std::vector<MessageQuestion> questions_;
};

// Installs an implementation for the lifetime of the object and puts the previous one back.
class ScopedMessageBoxes {
public:
    explicit ScopedMessageBoxes(MessageBoxes& boxes) : previous_(InstallMessageBoxes(&boxes)) {}
    ~ScopedMessageBoxes() { InstallMessageBoxes(previous_); }
    ScopedMessageBoxes(const ScopedMessageBoxes&) = delete;
    ScopedMessageBoxes& operator=(const ScopedMessageBoxes&) = delete;

private:
    MessageBoxes* previous_;
};

} // namespace oxbow
