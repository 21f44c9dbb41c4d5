#include "statusfields.h"

#include "instrumentstyle.h"

#include <QPainter>

namespace oxbow::ui {

namespace {

// A sunken read-out box with centred text.
void PaintReadout(QWidget& field, const QString& text, const QColor& colour) {
    QPainter painter(&field);
    const QRect box = field.rect();
    painter.fillRect(box, InstrumentColours::Black);
    painter.setPen(InstrumentColours::PanelLight);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setFont(field.font());
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace

RunStateLook RunStateLookOf(int code) {
    using C = InstrumentColours;
    switch (code) {
    case 0:
        return {QStringLiteral("RUN"), C::Green, true};
    case 1:
        return {QStringLiteral("STOP"), C::Red, false};
    case 2:
        return {QStringLiteral("WAIT"), C::Yellow, true};
    case 3:
        return {QStringLiteral("T'D"), C::Green, false};
    case 5:
        return {QStringLiteral("SCAN"), C::Green, true};
    case 6:
        return {QStringLiteral("PLAY"), C::Green, false};
    case 7:
        return {QStringLiteral("PAUSE"), C::Green, false};
    default:
        return {QStringLiteral("AUTO"), C::Green, true};
    }
}

RunStateField::RunStateField(QWidget* parent) : QWidget(parent), m_look(RunStateLookOf(1)) {
    setFont(ReadoutFont(16));
}

void RunStateField::SetRunStatus(int code) {
    SetState(RunStateLookOf(code));
}

void RunStateField::SetState(const RunStateLook& look) {
    m_look = look;
    update();
}

void RunStateField::SetOffline(bool offline) {
    if (offline == m_offline) return;
    m_offline = offline;
    update();
}

const RunStateLook& RunStateField::Shown() const {
    static const RunStateLook offline{QStringLiteral("OFFLINE"), InstrumentColours::Red, false};
    return m_offline ? offline : m_look;
}

void RunStateField::Refresh() {
    m_dark = !m_dark;
    update();
}

QColor RunStateField::ShownColour() const {
    const RunStateLook& look = Shown();
    return look.blinking && m_dark ? InstrumentColours::Black : look.colour;
}

QSize RunStateField::sizeHint() const {
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("OFFLINE")) + 16,
                 fontMetrics().height() + 8);
}

void RunStateField::paintEvent(QPaintEvent*) {
    PaintReadout(*this, Text(), ShownColour());
}

QString ClockText(const QDateTime& time) {
    const QDate date = time.date();
    const QTime clock = time.time();
    return QString::asprintf("%.2d-%.2d-%.2d %.2d:%.2d", date.month(), date.day(), date.year(),
                             clock.hour(), clock.minute());
}

ClockField::ClockField(QWidget* parent) : QWidget(parent) {
    setFont(ReadoutFont(13));
    Refresh();
}

void ClockField::Refresh() {
    SetTime(QDateTime::currentDateTime());
}

void ClockField::SetTime(const QDateTime& time) {
    m_text = ClockText(time);
    update();
}

QSize ClockField::sizeHint() const {
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("00-00-0000 00:00")) + 16,
                 fontMetrics().height() + 8);
}

void ClockField::paintEvent(QPaintEvent*) {
    PaintReadout(*this, m_text, InstrumentColours::Text);
}

} // namespace oxbow::ui
