// The measurement panel: a floating list with one line per chosen measurement — the
// measurement's name and reading, then its statistics since it was added, named apart from it
// ("CH1 Vmax 2.00V  min 1.98V  max 2.00V  mean 1.99V  n 12") — and, below it, the cursor and
// logic-analyzer read-outs. Add and All open the source dialog; Reset starts the statistics
// afresh; Remove takes the selected line's measurement, Clear all every one. The wheel over
// the list scrolls one entry per notch. The panel reads only published copies (records and
// measurements); what it lists is what the setup has chosen. It opens beside the main window
// (over its picture, never its controls, where the screen has no room beside it), and by
// itself when a measurement is added from anywhere.
#pragma once

#include "dialogrequests.h"
#include "oxmeasure.h"
#include "oxsnapshot.h"

#include <QListWidget>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace oxapp {

// A list that the wheel scrolls one entry per notch.
class EntryList final : public QListWidget {
    Q_OBJECT
public:
    explicit EntryList(QWidget* parent);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    int pendingDelta_ = 0; // fine-grained wheels add up to a notch
};

// Statistics of one reading since it was added.
struct ReadingStats {
    double min = 0;
    double max = 0;
    double sum = 0;
    long count = 0;
    void Add(double value);
};

class MeasurePanel final : public QWidget, public ReadoutPanel {
    Q_OBJECT
public:
    MeasurePanel(QWidget* parent, oxmeasure::Measurer& measurer,
                 const oxacq::RecordSnapshot& records);
    ~MeasurePanel() override;

    // True when the panel is open and shows read-outs of that kind (it never shows math or
    // reference read-outs).
    [[nodiscard]] bool ShowsReadoutsOf(Kind kind) const override;
    // Opens the panel (raised when already open) and closes it.
    void Open();
    // The part of the main window the panel may cover when the screen has no room beside it.
    void CoverOnly(QWidget* picture) { picture_ = picture; }
    // The main window's copy of the records changed: the panel opens when the setup has
    // chosen a measurement it had not chosen before.
    void Follow(const _OX_SETUP& setup);
    void Close() override;
    // The source dialog for one measurement code, or kAllMeasurements.
    void ChooseSource(int code);
    // The "All Measurement" dialog, with the panel open to show what it adds.
    void OpenAllMeasurement();
    // Takes the newest published measurements into the lines and statistics.
    void Refresh();
    // Starts every statistic afresh.
    void ResetStatistics();

    [[nodiscard]] const EntryList& Entries() const { return *list_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    using Entry = oxmeasure::Chosen;
    void Accumulate(const std::vector<Entry>& entries);
    [[nodiscard]] QString EntryText(const Entry& entry) const;
    [[nodiscard]] std::string StatisticText(const Entry& entry, double value) const;
    // Posts the removal of the selected line's measurement.
    void RemoveSelected();
    void Place();

    oxmeasure::Measurer& measurer_;
    const oxacq::RecordSnapshot& records_;
    std::unique_ptr<oxacq::RecordView> view_;
    oxmeasure::MeasureView measured_;
    std::uint64_t accumulated_ = 0; // the measurement sequence taken into the statistics
    std::map<Entry, ReadingStats> stats_;
    std::vector<Entry> entries_;  // as listed
    std::vector<Entry> followed_; // chosen as the main window last saw it
    EntryList* list_ = nullptr;
    QPushButton* remove_ = nullptr;
    QComboBox* type_ = nullptr;
    QLabel* cursors_ = nullptr;
    QTimer refresh_;
    QWidget* picture_ = nullptr; // the part of the main window the panel may cover
    bool placed_ = false;
};

} // namespace oxapp
