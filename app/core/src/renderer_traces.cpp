// Drawing the processed traces onto the trace surfaces: the plain, persistence and
// colour-grade routines, X-Y, the logic-analyzer lines, and the active trace on top.
#include "oxgdi.h"
#include "pipeline_state.h"

#include <algorithm>

namespace oxdisplay {

namespace {

using State = DisplayEngine::State;
using Table = std::array<std::uint32_t, tracekit::kColorTableSize>;

std::uint32_t* Pixels(const DDSURFACEDESC2& desc) {
    return static_cast<std::uint32_t*>(desc.lpSurface);
}

void PlotPlain(State& s, TraceBuffers& t, const Table& table, const DDSURFACEDESC2& desc,
               const tracekit::TraceWindow& w) {
    const int dots = s.setup().nDisplayType == oxcmd::code::kDots ? 1 : 0;
    if (!t.live) {
        PlotStop(t.rows.data(), Pixels(desc), s.stopScratch.data(), table.data(), desc.lPitch, &w,
                 dots);
    } else if (dots) {
        OxPlotDot(t.pairs.data(), Pixels(desc), table.data(), desc.lPitch, 0, 0, w.nFirstDrawCol,
                  w.nLastDrawCol + 1);
    } else {
        PlotVect(t.pairs.data(), Pixels(desc), table[0], desc.lPitch, w.nFirstDrawCol,
                 w.nLastDrawCol);
    }
}

void PlotPersistence(State& s, TraceBuffers& t, const Table& table, const DDSURFACEDESC2& desc,
                     const tracekit::TraceWindow& w) {
    const int style = s.counters.bPlotDots ? 1 : 0;
    if (!t.live) {
        PlotStop(t.rows.data(), Pixels(desc), s.stopScratch.data(), table.data(), desc.lPitch, &w,
                 style);
    } else {
        PlotDXO(t.history.data(), Pixels(desc), table.data(), desc.lPitch, t.grade.data(), 0,
                s.counters.nPersistFrame, s.counters.nPersistFill, kHistoryStride, &w, style);
    }
}

// The channel and math traces of one region, those that keep a grade.
template <class Visit> void ForEachGrade(State& s, int region, Visit visit) {
    for (auto* set :
         {&s.channel[0], &s.channel[1], &s.math[0], &s.math[1], &s.math[2], &s.math[3]}) {
        if (TraceBuffers& t = (*set)[region]; t.gradeChanges) {
            visit(t);
        }
    }
}

// Counted, then copied where it changed since its last copy; the other grades on the surface
// repaint what this copy drew over theirs.
void PlotColourGrade(State& s, int region, TraceBuffers& t, const DDSURFACEDESC2& desc,
                     const tracekit::TraceWindow& w) {
    tracekit::GradeChanges& changes = *t.gradeChanges;
    std::uint32_t maximum = 0;
    if (t.live) {
        PlotGrade(t.pairs.data(), t.grade.data(), 0, kPairValues - 1, 0, kColumns - 1, &maximum,
                  changes);
    } else {
        PlotGrade(t.rows.data(), t.grade.data(), w.nFirstSample, w.nLastSample, w.nFirstCol,
                  w.nLastCol, &maximum, changes);
    }
    CopyGrade(t.grade.data(), Pixels(desc), desc.lPitch, maximum, changes);
    ForEachGrade(s, region, [&](TraceBuffers& other) {
        if (&other != &t) {
            other.gradeChanges->MarkDrawnBy(changes);
        }
    });
}

void PlotTrace(State& s, int region, TraceBuffers& t, const Table& table,
               const DDSURFACEDESC2& desc) {
    if (!t.drawable) {
        return;
    }
    const tracekit::TraceWindow w = ToTraceWindow(s.window(t.window));
    const _OX_SETUP& setup = s.setup();
    const bool accumulates = !t.grade.empty() && s.accumulates();
    if (accumulates && setup.bDisplayColorGrade) {
        PlotColourGrade(s, region, t, desc, w);
        return;
    }
    if (accumulates) {
        PlotPersistence(s, t, table, desc, w);
        t.gradeChanges->Forget(); // the persistence view shares the grade buffer
    } else {
        PlotPlain(s, t, table, desc, w);
    }
    s.traceSurfaceDrawn(region);
}

void PlotLa(State& s, int region, const LaBuffers& l, const DDSURFACEDESC2& desc) {
    if (!l.drawable) {
        return;
    }
    const _OX_SETUP& setup = s.setup();
    const RegionGeometry g = s.geometry(l.region);
    const OX_TRACE_WINDOW& w = s.window(l.window);
    const int height = setup.bLaWaveSize ? 12 : 6;
    for (int line = 0; line < kLaLines; ++line) {
        if (setup.bLaChannel[line]) {
            const int lowRow = s.region().ptLa[l.region][line].y - g.compose.top + g.rowOffset;
            DrawSingleWave(desc, l.pairs, line, lowRow, kLaColour, height,
                           std::max(w.nFirstDrawn, 0), std::min(w.nLastDrawn, kColumns - 1));
        }
    }
    s.traceSurfaceDrawn(region);
}

// Trace ids as the front panel selects them: 0 CH1, 1 CH2, 4 logic analyzer, 5..8 math.
void DrawOne(State& s, int id, int region, const DDSURFACEDESC2& desc) {
    if (id == 0 || id == 1) {
        PlotTrace(s, region, s.channel[id][region], s.channelTable[id], desc);
    } else if (id == oxcmd::code::kActiveLogic) {
        PlotLa(s, region, s.la[region], desc);
    } else if (id >= oxcmd::code::kFirstFurtherTrace &&
               id < oxcmd::code::kFirstFurtherTrace + kMathSlots) {
        PlotTrace(s, region, s.math[id - oxcmd::code::kFirstFurtherTrace][region], s.mathTable,
                  desc);
    }
}

constexpr int kDrawOrder[] = {0, 1, 5, 6, 7, 8, oxcmd::code::kActiveLogic};

void DrawAllTraces(State& s, const DDSURFACEDESC2& a, const DDSURFACEDESC2& b) {
    const int active = s.setup().nActiveChannel;
    for (int region = 0; region < kRegions; ++region) {
        for (int id : kDrawOrder) {
            if (id != active) {
                DrawOne(s, id, region, region == 0 ? a : b);
            }
        }
    }
    for (int region = 0; region < kRegions; ++region) {
        DrawOne(s, active, region, region == 0 ? a : b);
    }
}

bool DrawXY(State& s, const DDSURFACEDESC2& a, bool stopped) {
    if (s.setup().nTimeFormat != oxcmd::code::kXY) {
        return false;
    }
    const TraceBuffers& x = s.channel[0][0];
    const TraceBuffers& y = s.channel[1][0];
    if (s.channelShown(0, stopped) && s.channelShown(1, stopped) && x.drawable && y.drawable &&
        x.samples >= kLivePoints && y.samples >= kLivePoints) {
        PlotXY(x.rows.data(), y.rows.data(), kLivePoints, Pixels(a), a.lPitch, kColumns,
               s.geometry(0).height, kXYColour);
        s.traceSurfaceDrawn(0);
    }
    return true;
}

} // namespace

void DrawReferences(State& s, const DDSURFACEDESC2& layer) {
    for (auto& t : s.ref) {
        if (t.drawable) {
            const OX_TRACE_WINDOW& w = s.window(t.window);
            PlotVect(t.pairs.data(), Pixels(layer), s.refTable[0], layer.lPitch, w.nFirstDrawn,
                     w.nLastDrawn);
        }
    }
}

void DisplayEngine::State::traceSurfaceDrawn(int region) {
    ForEachGrade(*this, region, [](TraceBuffers& t) { t.gradeChanges->MarkAll(); });
}

void DisplayEngine::DrawTraces(bool stopped) {
    State& s = *state_;
    s.touchLayers();
    for (Surface* surface : {&s.traceA, &s.traceB}) {
        if (surface->IsLost() && !s.restoreAll()) {
            s.post(oxcmd::run::kScreenMode, oxcmd::run::kScreenModeSurfacesLost);
            return;
        }
    }
    // Plain traces are drawn over the bare grid: a frame drawn over the previous one would
    // leave both on the screen.
    if (s.tracesDrawn && !s.accumulates()) {
        s.copyGridToTraces();
    }
    s.tracesDrawn = true;
    Locked a(s.traceA);
    Locked b(s.traceB);
    if (!a.ok() || !b.ok()) {
        s.post(oxcmd::run::kScreenMode, oxcmd::run::kScreenModeSurfacesLost);
        return;
    }
    if (!DrawXY(s, a.desc(), stopped)) {
        DrawAllTraces(s, a.desc(), b.desc());
    }
}

} // namespace oxdisplay
