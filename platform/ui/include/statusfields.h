// The run-state field and the clock of the main window.
#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>
#include <QWidget>

namespace oxbow::ui {

// How a run-status code is shown: 0 "RUN" green blinking, 1 "STOP" red, 2 "WAIT" yellow
// blinking, 3 "T'D" green, 5 "SCAN" green blinking, 6 "PLAY" green, 7 "PAUSE" green;
// 4 and every other code "AUTO" green blinking.
struct RunStateLook {
    QString text;
    QColor colour;
    bool blinking = false;
};
RunStateLook RunStateLookOf(int code);

// A field showing one run state. Every Refresh flips the blink phase; a blinking state
// is drawn in its colour in one phase and in black in the other.
class RunStateField : public QWidget {
    Q_OBJECT
public:
    explicit RunStateField(QWidget* parent = nullptr);

    void SetRunStatus(int code);
    // Writes a text directly (the completion handler's "AUTO", "RUN", "STOP" ...).
    void SetState(const RunStateLook& look);
    // While the instrument does not answer the field says "OFFLINE" in red, whatever state
    // is set meanwhile; once the link is back it shows the last state set.
    void SetOffline(bool offline);
    void Refresh();

    QString Text() const { return Shown().text; }
    // The colour the text is drawn in now, blink phase applied.
    QColor ShownColour() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const RunStateLook& Shown() const;

    RunStateLook m_look;
    bool m_offline = false;
    bool m_dark = false; // the blink phase in which blinking states are black
};

// "%0.2d-%0.2d-%0.2d %0.2d:%0.2d" of month, day, year, hour, minute: "12-08-2026 16:05".
QString ClockText(const QDateTime& time);

// The clock: shows the local time, written on each Refresh.
class ClockField : public QWidget {
    Q_OBJECT
public:
    explicit ClockField(QWidget* parent = nullptr);

    void Refresh(); // reads the local time
    void SetTime(const QDateTime& time);
    QString Text() const { return m_text; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

} // namespace oxbow::ui
