// The modal source dialog of the automatic measurements: one measurement (its long name as
// the title) or all of them ("All Measurement"); the source list holds the shown channels
// and is disabled for the delays, which always measure CH1 against CH2.
#pragma once

#include "ox_records.h"

#include <QDialog>

#include <optional>

class QComboBox;

namespace oxapp {

inline constexpr int kAllMeasurements = 0; // the code that asks for every measurement

class MeasureSourceDialog final : public QDialog {
    Q_OBJECT
public:
    MeasureSourceDialog(QWidget* parent, int code, const _OX_SETUP& setup);
    // The chosen channel (0 CH1, 1 CH2); empty when no channel is shown.
    [[nodiscard]] std::optional<int> Source() const;

private:
    QComboBox* sources_ = nullptr;
};

// Runs the dialog; on OK with a source posts the command (every measurement of the source,
// or the one measurement on it) and returns the source. Cancel and Close post nothing.
std::optional<int> RunMeasureSourceDialog(QWidget* parent, int code, const _OX_SETUP& setup);

} // namespace oxapp
