// The measurement hand-over: the drawn rows of each shown channel back to codes, both
// channels measured together (the delays need both), the tracking-cursor values and the
// logic-analyzer states, published for the user interface.
#include "oxmeasure.h"
#include "tracekit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace oxmeasure {

namespace {

// Rows are 16-bit: a table of every row at or above 0 covers them (rows below read as 0).
constexpr int kTableRows = std::numeric_limits<std::int16_t>::max() + 1;

bool TracksChannels(const _OX_SETUP& setup) {
    return setup.nCursorMode == oxcmd::code::kTrackCursors && (setup.bTrackOnA || setup.bTrackOnB);
}

bool MeasuringWanted(const oxdisplay::MeasureInput& in, bool wanted) {
    return wanted || (in.region != nullptr && in.region->bMeasure) || in.setup->nMeasureCount > 0 ||
           in.setup->bMeasureAll != 0 || TracksChannels(*in.setup);
}

std::uint16_t ShownLaLines(const _OX_SETUP& setup) {
    std::uint16_t shown = 0;
    for (int line = 0; line < oxdisplay::kLaLines; ++line) {
        if (setup.bLaChannel[line]) {
            shown |= static_cast<std::uint16_t>(1u << line);
        }
    }
    return shown;
}

// The column the logic-analyzer states are read at: that of the cursor on the logic
// analyzer (tracking cursor A, else manual X cursor A).
std::optional<int> LaCursorColumn(const _OX_SETUP& setup) {
    if (setup.nCursorMode == oxcmd::code::kTrackCursors && setup.bTrackOnA &&
        setup.nTrackSourceA == oxcmd::code::kCursorSourceLogic) {
        return CursorColumn(setup.fTrackA);
    }
    if (setup.nCursorMode == oxcmd::code::kManualCursors && setup.bCurXOn &&
        setup.nCurXSource == oxcmd::code::kCursorSourceLogic) {
        return CursorColumn(setup.fCurXA);
    }
    return std::nullopt;
}

} // namespace

const oxdisplay::MeasureTrace* MeasuredTrace(const oxdisplay::MeasureInput& input, int channel) {
    for (int region = 1; region >= 0; --region) {
        const oxdisplay::MeasureTrace& t = input.traces[channel][region];
        if (t.rows != nullptr && t.count >= 2 && t.height > 0) {
            return &t;
        }
    }
    return nullptr;
}

int GroundCodes(float voltsPerDiv, float offset) {
    if (!(voltsPerDiv > 0) || !std::isfinite(offset)) {
        return 0;
    }
    const double k = std::trunc(static_cast<double>(offset) * kCodesPerDivision / voltsPerDiv);
    return static_cast<int>(std::clamp(k, -1000.0, 1000.0));
}

int CursorColumn(float divisions) {
    if (!std::isfinite(divisions)) {
        return -1;
    }
    const double column = kCentreColumn + static_cast<double>(divisions) * kColumnsPerDivision;
    return static_cast<int>(std::clamp(std::trunc(column), -1.0, 1.0 * oxdisplay::kColumns));
}

Measurer::Measurer()
    : work_(std::make_unique<MeasureView>()), latest_(std::make_unique<MeasureView>()) {
    for (auto& c : codes_) {
        c.assign(kMeasureCodes, 0);
    }
}

void Measurer::ToCodes(int channel, const oxdisplay::MeasureTrace& trace, int count) {
    RowCodes& table = rowCodes_[channel];
    if (table.height != trace.height) {
        // Built by the conversion itself, once per height.
        std::vector<std::int16_t> rows(kTableRows);
        for (int row = 0; row < kTableRows; ++row) {
            rows[static_cast<std::size_t>(row)] = static_cast<std::int16_t>(row);
        }
        table.codes.resize(kTableRows);
        InvertWave(rows.data(), table.codes.data(), 0, kTableRows, 0, 0, trace.height);
        table.height = trace.height;
    }
    std::uint8_t* codes = codes_[channel].data();
    for (int i = 0; i < count; ++i) {
        codes[i] = table.codes[static_cast<std::size_t>(std::max<int>(trace.rows[i], 0))];
    }
}

void Measurer::Measure(const oxdisplay::MeasureInput& in) {
    const _OX_SETUP& setup = *in.setup;
    for (int ch = 0; ch < 2; ++ch) {
        const oxdisplay::MeasureTrace* t = MeasuredTrace(in, ch);
        traces_[ch] = {};
        work_->measured[ch] = t != nullptr;
        if (t == nullptr) {
            continue;
        }
        const int count = std::min(t->count, kMeasureCodes);
        ToCodes(ch, *t, count);
        traces_[ch] = {codes_[ch].data(), count,
                       GroundCodes(setup.fChanScale[ch], setup.fChanOffset[ch]),
                       setup.fChanScale[ch], gauger::SecondsPerSample(t->secondsPerDiv)};
    }
    gauger::MeasurePair(traces_[0], traces_[1], work_->result);
}

void Measurer::HandOver(const oxdisplay::MeasureInput& in) {
    if (in.setup == nullptr) {
        return;
    }
    const _OX_SETUP& setup = *in.setup;
    if (MeasuringWanted(in, Wanted())) {
        Measure(in);
    } else {
        work_->measured = {};
        traces_ = {};
    }
    const std::array<int, 2> trackSource{setup.nTrackSourceA, setup.nTrackSourceB};
    const std::array<float, 2> trackAt{setup.fTrackA, setup.fTrackB};
    for (int c = 0; c < 2; ++c) {
        work_->track[c].reset();
        const int ch = trackSource[c];
        const oxdisplay::MeasureTrace* t = ch == 0 || ch == 1 ? MeasuredTrace(in, ch) : nullptr;
        if (t == nullptr || traces_[ch].codes == nullptr) {
            continue;
        }
        const int index = 2 * (CursorColumn(trackAt[c]) - t->firstColumn);
        if (index >= 0 && index < traces_[ch].count) {
            work_->track[c] = static_cast<double>(gauger::kCentreCode - traces_[ch].groundCodes -
                                                  traces_[ch].codes[index]) /
                              kCodesPerDivision;
        }
    }
    const std::optional<int> laColumn = LaCursorColumn(setup);
    work_->la = laColumn ? LaLineStates(in.laPairs, in.laFirstDrawn, in.laLastDrawn, *laColumn,
                                        ShownLaLines(setup))
                         : LaLines{};
    std::lock_guard guard(lock_);
    const std::uint64_t sequence = latest_->sequence + 1;
    *latest_ = *work_;
    latest_->sequence = sequence;
}

void Measurer::OverlayLines(const _OX_SETUP& setup, std::vector<std::string>& lines) const {
    lines = CursorLines(setup, *work_);
    if (LaCursorColumn(setup)) {
        lines.push_back(work_->la.hex);
        lines.push_back(work_->la.bits);
    }
}

bool Measurer::Refresh(MeasureView& view) const {
    std::lock_guard guard(lock_);
    if (view.sequence == latest_->sequence) {
        return false;
    }
    view = *latest_;
    return true;
}

} // namespace oxmeasure
