// The measurement side of the display: the sink the pipeline hands its traces to (rows back
// to codes, the automatic measurements of both channels, the tracking-cursor values and the
// logic-analyzer line states), the copy of the results the user interface reads, and the
// read-out lines of the cursors, the logic analyzer, the pass/fail counters and the modes.
//
// Measurer::HandOver runs on the I/O thread under the program's lock, after every pipeline
// run; it publishes a MeasureView that the UI thread copies with Refresh. The measurement
// buffers are allocated once, a channel's table of row codes when its trace height changes.
#pragma once

#include "gauger.h"
#include "ox_records.h"
#include "oxdisplay.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace oxmeasure {

// Codes a channel's measurement buffer holds: the 1400 rows of the drawn columns, or the
// 2048 samples of an X-Y frame.
inline constexpr int kMeasureCodes = 2048;
inline constexpr int kCentreColumn = oxdisplay::kColumns / 2;
inline constexpr int kColumnsPerDivision = 50;
inline constexpr int kCodesPerDivision = 25;

// The hexadecimal and the bit line of the logic analyzer's states under the cursor.
struct LaLines {
    std::string hex = "D15-D0=";
    std::string bits = "D15 ";
};

// What the read-outs show, as of the newest hand-over.
struct MeasureView {
    gauger::PairResult result{};
    std::array<bool, 2> measured{}; // the channel was drawn and measured
    // Tracking cursors A and B: the source trace's value in divisions above its ground at
    // the cursor's column, empty when the source has no drawn value there.
    std::array<std::optional<double>, 2> track{};
    LaLines la;
    std::uint64_t sequence = 0; // 0: nothing published yet
};

class Measurer final : public oxdisplay::MeasureSink {
public:
    Measurer();
    // I/O thread: measures the shown channels while measuring is wanted, then publishes.
    void HandOver(const oxdisplay::MeasureInput& input) override;
    void OverlayLines(const _OX_SETUP& setup, std::vector<std::string>& lines) const override;
    // UI thread: refreshes `view` when something newer was published; true when it did.
    bool Refresh(MeasureView& view) const;
    // Who may ask for the measurements besides the setup (the region record's measurement
    // flag, chosen read-outs, tracking cursors).
    enum class Reader : unsigned { Panel = 1, CommandLine = 2 };
    // Any thread: whether `reader` wants the measurements of every frame.
    void SetWanted(Reader reader, bool wanted) {
        const auto bit = static_cast<unsigned>(reader);
        if (wanted) {
            wanted_.fetch_or(bit);
        } else {
            wanted_.fetch_and(~bit);
        }
    }
    [[nodiscard]] bool Wanted() const { return wanted_.load() != 0; }

private:
    void Measure(const oxdisplay::MeasureInput& input);
    // The first `count` rows of `trace` back to codes in the channel's buffer.
    void ToCodes(int channel, const oxdisplay::MeasureTrace& trace, int count);
    // The code of every row at one trace height: looked up per sample instead of a division.
    struct RowCodes {
        int height = 0;
        std::vector<std::uint8_t> codes;
    };
    std::array<std::vector<std::uint8_t>, 2> codes_;
    std::array<RowCodes, 2> rowCodes_;
    std::array<gauger::ChannelTrace, 2> traces_{};
    std::unique_ptr<MeasureView> work_;
    mutable std::mutex lock_;
    std::unique_ptr<MeasureView> latest_;
    std::atomic<unsigned> wanted_{0};
};

// The region a channel is measured in: the second one when the channel is drawn there (the
// delayed sweep's window, CH2 under the alternate trigger), else the main one; null when
// the channel is not drawn.
[[nodiscard]] const oxdisplay::MeasureTrace* MeasuredTrace(const oxdisplay::MeasureInput& input,
                                                           int channel);

// The channel's ground offset in codes: trunc(offset x 25 / scale).
[[nodiscard]] int GroundCodes(float voltsPerDiv, float offset);

// The screen column of a horizontal cursor position in divisions from the centre.
[[nodiscard]] int CursorColumn(float divisions);

// ---- Read-out lines ------------------------------------------------------------------

// The lines of the manual cursors (X: A, B, difference, reciprocal; Y: A, B, difference),
// each label + number + unit; "??.???" for what cannot be computed.
[[nodiscard]] std::vector<std::string> ManualCursorLines(const _OX_SETUP& setup);
// The lines of the tracking cursors that are on, from the values the view carries.
[[nodiscard]] std::vector<std::string> TrackCursorLines(const _OX_SETUP& setup,
                                                        const MeasureView& view);
// The cursor read-outs of the current cursor mode (none when the cursors are off).
[[nodiscard]] std::vector<std::string> CursorLines(const _OX_SETUP& setup, const MeasureView& view);
// The logic analyzer's states at `column` from its AND/OR column pairs; `shown` tells which
// lines D0..D15 are displayed. Empty pairs: both lines keep only their labels.
[[nodiscard]] LaLines LaLineStates(std::span<const std::uint16_t> pairs, int firstDrawn,
                                   int lastDrawn, int column, std::uint16_t shown);
// "Fail = n wfs", "Pass = n wfs", "Total = n wfs".
[[nodiscard]] std::array<std::string, 3> PassFailLines(const _OX_SETUP& setup);
// "X - Y Mode", "Roll  Mode" or "Alternative Trigger"; nullptr in the other modes.
[[nodiscard]] const char* ModeCaption(const _OX_SETUP& setup);

// ---- Automatic measurement read-outs ----------------------------------------------------
// One computation for every reader: the panel, the screen and the command line's table show
// the same reading with the same digits (gauger's read-out functions).

// A chosen measurement: its code (1..20) and channel (0 CH1, 1 CH2).
struct Chosen {
    int code = 0;
    int channel = 0;
    bool operator==(const Chosen&) const = default;
    auto operator<=>(const Chosen&) const = default;
};
// The measurements the setup has chosen: each one chosen by itself, then every measurement of
// the source of "All" that is not among them. Entries that name no measurement or channel are
// left out.
[[nodiscard]] std::vector<Chosen> ChosenMeasurements(const _OX_SETUP& setup);
// Whether the reading can be shown: its channel shown and measured (both channels for the
// delays, which compare them) and the reading itself showable (gauger::MeasureShowable).
[[nodiscard]] bool MeasureReadable(const _OX_SETUP& setup, const MeasureView& view, Chosen m);
// The screen read-out line of measurement `code` on channel `channel`: "Prd=1.000ms".
[[nodiscard]] std::string MeasureLine(const _OX_SETUP& setup, const MeasureView& view, int code,
                                      int channel);
// The reading as the panel shows it ("4.00V", "<10.00us"), "*****" when it cannot be shown.
[[nodiscard]] std::string MeasureValue(const _OX_SETUP& setup, const MeasureView& view, Chosen m);
// The reading as a plain SI number with the same digits ("4.00"), empty when it cannot be
// shown.
[[nodiscard]] std::string MeasurePlain(const _OX_SETUP& setup, const MeasureView& view, Chosen m);
// The unit text of a channel ("V" when the setup holds none).
[[nodiscard]] std::string ChannelUnit(const _OX_SETUP& setup, int channel);

} // namespace oxmeasure
