// The measurement panel: a floating list with one line per chosen measurement — its
// read-out and statistics since it was added (Min, Max, Avg, count) — and, below it, the
// cursor and logic-analyzer read-outs. Add and All open the source dialog; Reset starts the
// statistics afresh; Clear removes the chosen measurements. The wheel over the list scrolls
// one entry per notch. The panel reads only published copies (records and measurements).
#pragma once

#include "dialogrequests.h"
#include "oxmeasure.h"
#include "oxsnapshot.h"

#include <QListWidget>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;

namespace oxapp {

// What a read-out shown by a panel is of.
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
    using Entry = std::pair<int, int>; // (code, channel)
    [[nodiscard]] std::vector<Entry> ChosenEntries() const;
    void Accumulate(const std::vector<Entry>& entries);
    [[nodiscard]] QString EntryText(const Entry& entry) const;

    oxmeasure::Measurer& measurer_;
    const oxacq::RecordSnapshot& records_;
    std::unique_ptr<oxacq::RecordView> view_;
    oxmeasure::MeasureView measured_;
    std::uint64_t accumulated_ = 0; // the measurement sequence taken into the statistics
    std::map<Entry, ReadingStats> stats_;
    std::optional<int> allSource_; // the source of "All", which the setup does not keep
    EntryList* list_ = nullptr;
    QComboBox* type_ = nullptr;
    QLabel* cursors_ = nullptr;
    QTimer refresh_;
    bool placed_ = false;
};

} // namespace oxapp
