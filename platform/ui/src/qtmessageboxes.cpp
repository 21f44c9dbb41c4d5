#include "qtmessageboxes.h"

#include <QAbstractButton>

namespace oxbow::ui {

namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The button that Escape and closing the box stand for: the one of the safe answer.
QMessageBox::StandardButton SafeButton(MessageButtons buttons) {
    switch (SafeAnswer(buttons)) {
    case MessageAnswer::Ok:
        return QMessageBox::Ok;
    case MessageAnswer::Abort:
        return QMessageBox::Abort;
    case MessageAnswer::No:
        return QMessageBox::No;
    default:
        return QMessageBox::Cancel;
    }
}

} // namespace

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MessageAnswer AnswerOf(QMessageBox::StandardButton clicked, MessageButtons offered) {
    if (!(ButtonsOf(offered) & clicked)) return SafeAnswer(offered);
    switch (clicked) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Abort:
        return MessageAnswer::Abort;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Ignore:
        return MessageAnswer::Ignore;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

MessageAnswer QtMessageBoxes::AskHere(const MessageQuestion& question) {
    if (m_dismissed) return SafeAnswer(question.buttons);
    QMessageBox box(IconOf(question.icon), QString::fromStdString(question.caption),
                    QString::fromStdString(question.text), ButtonsOf(question.buttons),
                    m_parent.data());
    box.setEscapeButton(SafeButton(question.buttons));
    box.setWindowModality(question.systemModal || m_parent.isNull() ? Qt::ApplicationModal
                                                                    : Qt::WindowModal);
    if (m_showHook) m_showHook(box);
    m_open.emplace_back(&box);
    box.exec();
    m_open.pop_back();
    QAbstractButton* clicked = box.clickedButton();
    return AnswerOf(clicked ? box.standardButton(clicked) : SafeButton(question.buttons),
                    question.buttons);
}

void QtMessageBoxes::DismissAll() {
    m_dismissed = true;
    for (const QPointer<QMessageBox>& box : m_open) {
        if (box) box->reject();
    }
}

MessageAnswer QtMessageBoxes::Ask(const MessageQuestion& question) {
    MessageAnswer answer = SafeAnswer(question.buttons);
    m_ui.Call([&] { answer = AskHere(question); });
    return answer;
}

} // namespace oxbow::ui
