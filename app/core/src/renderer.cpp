// The renderer: background (grid and frame), erase, composition, presentation, the
// background grey, and recovery from lost surfaces.
#include "oxgdi.h"
#include "pipeline_state.h"

#include <algorithm>
#include <cstring>

namespace oxdisplay {

namespace {

using State = DisplayEngine::State;

constexpr std::uint32_t kDelayedShadow = 0x3C3C3C;
constexpr std::uint32_t kMaskColour = 0x303078;

std::uint32_t GridColour(const _OX_SETUP& setup) {
    const int percent = std::clamp(setup.nGridIntensity, 0, 100);
    const std::uint32_t level = 64 + static_cast<std::uint32_t>(percent) * 191 / 100;
    return level * 0x010101u;
}

CRect GridRect(const RegionGeometry& g) {
    return {0, g.gridTop, kColumns, g.gridTop + g.height};
}

CRect ToCRect(const OX_RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// With the pass/fail mask shown, the area outside its band is shaded on the grid.
void DrawPassFailShade(State& s, const DDSURFACEDESC2& grid) {
    const _OX_SETUP& setup = s.setup();
    const auto& mask = s.references;
    if (!setup.bPfEnable || !setup.bPfMaskReady || mask.maskUpper.empty() ||
        mask.maskLower.empty()) {
        return;
    }
    FillPFGrid(grid, GridRect(s.geometry(0)), mask.maskUpper, mask.maskLower, kMaskColour);
}

void DrawBackground(State& s, const DDSURFACEDESC2& grid, const DDSURFACEDESC2& comp) {
    const _OX_SETUP& setup = s.setup();
    const int full = setup.nDisplayGrid == oxcmd::code::kGridFull ? 1 : 0;
    const std::uint32_t colour = GridColour(setup);
    const Layout layout = s.layout();
    const RegionGeometry upper = s.geometry(0);
    if (layout == Layout::Single) {
        DrawMainGrid(grid, GridRect(upper), full, colour);
        DrawGridFrame(comp, upper.compose, kFrameLeft | kFrameTop | kFrameRight | kFrameBottom,
                      kFrameGrey);
        return;
    }
    const RegionGeometry lower = s.geometry(1);
    if (layout == Layout::Delayed) {
        DrawDelayedGridUp(grid, GridRect(upper), ToCRect(s.region().rcDelayed), full, colour,
                          kDelayedShadow);
    } else {
        DrawBModeGridUp(grid, GridRect(upper), full, colour);
    }
    DrawGridFrame(comp, upper.compose, kFrameBottom | kFrameRight, kFrameGrey);
    DrawDelayedGridDown(grid, GridRect(lower), full, colour);
    DrawGridFrame(comp, lower.compose, kFrameRight | kFrameBottom, kFrameGrey);
}

// The references join the background: drawn on a trace-sized layer, then laid into the grid
// with the layer's row 50 on grid row 0.
void MergeReferences(State& s, const DDSURFACEDESC2& grid) {
    bool any = false;
    for (const auto& t : s.ref) {
        any = any || t.drawable;
    }
    if (!any) {
        return;
    }
    Locked layer(s.refLayer);
    if (!layer.ok()) {
        return;
    }
    FillGrey(layer.desc(), 0);
    DrawReferences(s, layer.desc());
    const auto* from = static_cast<const std::uint32_t*>(layer.desc().lpSurface);
    auto* to = static_cast<std::uint32_t*>(grid.lpSurface);
    const int fromPitch = layer.desc().lPitch / 4;
    const int toPitch = grid.lPitch / 4;
    for (int row = 0; row < kPlotRows; ++row) {
        const std::uint32_t* src = from + (row + kPlotTop) * fromPitch;
        std::uint32_t* dst = to + row * toPitch;
        for (int col = 0; col < kColumns; ++col) {
            if (src[col] != 0) {
                dst[col] = src[col];
            }
        }
    }
}

} // namespace

void FillGrey(const DDSURFACEDESC2& desc, std::uint8_t grey) {
    auto* row = static_cast<std::uint8_t*>(desc.lpSurface);
    for (std::uint32_t y = 0; y < desc.dwHeight; ++y, row += desc.lPitch) {
        std::memset(row, grey, desc.dwWidth * sizeof(std::uint32_t));
    }
}

DisplayEngine::State::Background DisplayEngine::State::background() const {
    const _OX_SETUP& s = setup();
    const OX_RECT& zoom = region().rcDelayed;
    return {
        layout(), s.nDisplayGrid, s.nGridIntensity, {zoom.left, zoom.top, zoom.right, zoom.bottom}};
}

bool DisplayEngine::State::restoreAll() {
    releaseShown(); // restoring clears the pixels
    statusValid = false;
    behind = false;
    bool ok = true;
    for (Surface* surface : {&grid, &traceA, &traceB, &compositions[0], &compositions[1], &markers,
                             &status, &refLayer}) {
        ok = surface->Restore() == SurfaceResult::Ok && ok;
    }
    for (int region = 0; region < kRegions; ++region) {
        traceSurfaceDrawn(region); // a restored surface holds no picture
    }
    return ok;
}

void DisplayEngine::State::buildColourTables() {
    const float x =
        0.25f + 0.75f * static_cast<float>(std::clamp(setup().nWaveIntensity, 0, 100)) / 100.0f;
    SetColorTable(refTable.data(), kRefColour, x);
    SetColorTable(mathTable.data(), kMathColour, x);
    for (int ch = 0; ch < 2; ++ch) {
        SetColorTable(channelTable[ch].data(), kChannelColour[ch], x);
    }
}

DisplayEngine::DisplayEngine(DisplayRecords records, ChannelBuffers channels,
                             ReferenceBuffers references, FrameCounters& counters,
                             DisplayCommands& commands, MeasureSink& measure,
                             PresentTarget* present)
    : state_(std::make_unique<State>(records, channels, references, counters, commands, measure,
                                     present)) {
    state_->buildColourTables();
}

DisplayEngine::~DisplayEngine() {
    state_->releaseShown();
}

void DisplayEngine::SetPresentTarget(PresentTarget* present) {
    state_->releaseShown();
    state_->present = present;
    state_->touchLayers();
}

void DisplayEngine::SetMeasureSink(MeasureSink& measure) {
    state_->measure = &measure;
}

bool DisplayEngine::BackgroundCurrent() const {
    return state_->drawnBackground == state_->background();
}

Layout DisplayEngine::CurrentLayout() const {
    return state_->layout();
}

void DisplayEngine::FullRedraw() {
    State& s = *state_;
    _OX_RGN_SETUP& region = s.region();
    const CRect whole{0, 0, kComposeWidth, kComposeHeight};
    s.writeComposition({&whole, 1});
    {
        Locked grid(s.grid);
        Locked comp(s.composition());
        if (!grid.ok() || !comp.ok()) {
            if (grid.lost() || comp.lost()) {
                s.post(oxcmd::run::kScreenMode, oxcmd::run::kScreenModeSurfacesLost);
                region.bErasePending = 0;
            }
            return;
        }
        s.buildColourTables();
        s.statusValid = false;
        s.drawnBackground = s.background();
        FillGrey(grid.desc(), s.grey);
        FillGrey(comp.desc(), s.grey);
        DrawPassFailShade(s, grid.desc());
        DrawBackground(s, grid.desc(), comp.desc());
        ProcessReferences(s);
        MergeReferences(s, grid.desc());
    }
    s.touchLayers();
    region.bErasePending = 1;
    region.bRedrawAll = 0;
}

void DisplayEngine::State::copyGridToTraces() {
    const RegionGeometry upper = geometry(0);
    traceA.Blt({0, upper.rowOffset, kColumns, upper.rowOffset + upper.height}, grid,
               GridRect(upper));
    if (layout() != Layout::Single) {
        const RegionGeometry lower = geometry(1);
        traceB.Blt({0, lower.rowOffset, kColumns, lower.rowOffset + lower.height}, grid,
                   GridRect(lower));
    }
    for (int region = 0; region < kRegions; ++region) {
        traceSurfaceDrawn(region);
    }
    tracesDrawn = false;
    touchLayers();
}

void DisplayEngine::Erase() {
    State& s = *state_;
    s.copyGridToTraces();
    if (s.traceA.IsLost()) {
        if (!s.restoreAll()) {
            s.post(oxcmd::run::kScreenMode, oxcmd::run::kScreenModeSurfacesLost);
            return;
        }
        FullRedraw();
        s.copyGridToTraces();
        s.post(oxcmd::run::kRedrawWindow, 0);
    }
    s.region().bErasePending = 0;
}

namespace {

// The scan display erases a band of 13 columns around its position ahead of the trace.
void EraseScanBand(State& s) {
    const RegionGeometry upper = s.geometry(0);
    const int p = s.counters.nScanPos;
    const int left = std::clamp(p - 6, 0, kColumns - 1);
    const int right = std::clamp(p + 6, 0, kColumns - 1) + 1;
    s.traceA.Blt({left, upper.rowOffset, right, upper.rowOffset + upper.height}, s.grid,
                 {left, upper.gridTop, right, upper.gridTop + upper.height});
    s.traceSurfaceDrawn(0);
}

SurfaceResult CopyPlots(State& s) {
    const RegionGeometry upper = s.geometry(0);
    SurfaceResult result = s.composition().Blt(
        upper.compose, s.traceA, {0, upper.rowOffset, kColumns, upper.rowOffset + upper.height});
    if (result == SurfaceResult::Ok && s.layout() != Layout::Single) {
        const RegionGeometry lower = s.geometry(1);
        result =
            s.composition().Blt(lower.compose, s.traceB,
                                {0, lower.rowOffset, kColumns, lower.rowOffset + lower.height});
    }
    return result;
}

// The rectangles of the composition CopyPlots draws whole.
std::span<const CRect> PlotRects(const State& s, std::array<CRect, kRegions>& rects) {
    rects[0] = s.geometry(0).compose;
    if (s.layout() == Layout::Single) {
        return {rects.data(), 1};
    }
    rects[1] = s.geometry(1).compose;
    return rects;
}

// Copies every pixel of `from` outside the rectangles `kept` onto `to` (two surfaces of one
// size), band by band between the rectangles' top and bottom edges. False when a copy failed.
bool CopyOutside(Surface& to, const Surface& from, std::span<const CRect> kept) {
    constexpr std::size_t kMaxKept = 4;
    if (kept.size() > kMaxKept) {
        kept = {};
    }
    std::array<int, 2 + 2 * kMaxKept> edges{};
    std::size_t edgeCount = 0;
    edges[edgeCount++] = 0;
    edges[edgeCount++] = to.Height();
    for (const CRect& r : kept) {
        edges[edgeCount++] = std::clamp(r.top, 0, to.Height());
        edges[edgeCount++] = std::clamp(r.bottom, 0, to.Height());
    }
    std::sort(edges.begin(), edges.begin() + static_cast<std::ptrdiff_t>(edgeCount));
    bool ok = true;
    for (std::size_t e = 0; e + 1 < edgeCount; ++e) {
        const int top = edges[e];
        const int bottom = edges[e + 1];
        if (top == bottom) {
            continue;
        }
        // The kept rectangles across the band, left to right.
        std::array<CRect, kMaxKept> across{};
        std::size_t count = 0;
        for (const CRect& r : kept) {
            if (r.top <= top && r.bottom >= bottom && !r.IsRectEmpty()) {
                std::size_t at = count++;
                for (; at > 0 && across[at - 1].left > r.left; --at) {
                    across[at] = across[at - 1];
                }
                across[at] = r;
            }
        }
        int x = 0;
        const auto copyTo = [&](int right) {
            if (right > x) {
                const CRect gap{x, top, right, bottom};
                ok = to.Blt(gap, from, gap) == SurfaceResult::Ok && ok;
            }
        };
        for (std::size_t i = 0; i < count; ++i) {
            copyTo(std::min(across[i].left, to.Width()));
            x = std::max(x, across[i].right);
        }
        copyTo(to.Width());
    }
    return ok;
}

} // namespace

bool DisplayEngine::State::nothingNewToCompose() const {
    if (layersChanged || !composed.valid || (running() && setup().bSlowSweep)) {
        return false;
    }
    return composed.grey == grey && composed.layout == layout() &&
           std::memcmp(composed.setup.get(), rec.setup, sizeof(_OX_SETUP)) == 0 &&
           std::memcmp(composed.region.get(), rec.region, sizeof(_OX_RGN_SETUP)) == 0;
}

void DisplayEngine::State::rememberComposed() {
    std::memcpy(composed.setup.get(), rec.setup, sizeof(_OX_SETUP));
    std::memcpy(composed.region.get(), rec.region, sizeof(_OX_RGN_SETUP));
    composed.grey = grey;
    composed.layout = layout();
    composed.valid = true;
}

void DisplayEngine::Compose() {
    State& s = *state_;
    s.pictureCurrent = s.nothingNewToCompose();
    if (s.pictureCurrent) {
        return;
    }
    s.composed.valid = false;
    s.layersChanged = false;
    std::array<CRect, kRegions> plots;
    s.writeComposition(PlotRects(s, plots));
    if (s.running() && s.setup().bSlowSweep) {
        EraseScanBand(s);
    }
    if (CopyPlots(s) == SurfaceResult::Lost) {
        if (!s.restoreAll()) {
            s.post(oxcmd::run::kScreenMode, oxcmd::run::kScreenModeSurfacesLost);
            return;
        }
        FullRedraw();
        Erase();
        if (s.running()) {
            s.commands.RestartPersistence();
            ClearPersistence();
        }
        DrawTraces(!s.running());
        CopyPlots(s);
        s.post(oxcmd::run::kRedrawWindow, 0);
    }
    s.region().bEraseRequest = 0;
}

void DisplayEngine::State::writeComposition(std::span<const CRect> rewritten) {
    if (drawing == shown) {
        drawing = 1 - drawing;
        behind = true;
    }
    if (behind) {
        behind = !CopyOutside(composition(), other(), rewritten);
    }
}

namespace {

bool SamePicture(const Surface& a, const Surface& b) {
    const auto rowBytes = static_cast<std::size_t>(a.Width()) * sizeof(std::uint32_t);
    const auto pitchA = static_cast<std::size_t>(a.PitchPixels());
    const auto pitchB = static_cast<std::size_t>(b.PitchPixels());
    for (std::size_t y = 0; y < static_cast<std::size_t>(a.Height()); ++y) {
        if (std::memcmp(a.Pixels() + y * pitchA, b.Pixels() + y * pitchB, rowBytes) != 0) {
            return false;
        }
    }
    return true;
}

// Compares a surface's visible pixels with a remembered copy; on a difference the copy
// takes the new pixels. True when they differed (or nothing was remembered).
bool RememberIfChanged(const Surface& surface, std::vector<std::uint32_t>& shown) {
    const auto width = static_cast<std::size_t>(surface.Width());
    const auto rows = static_cast<std::size_t>(surface.Height());
    const auto pitch = static_cast<std::size_t>(surface.PitchPixels());
    const std::uint32_t* pixels = surface.Pixels();
    const std::size_t rowBytes = width * sizeof(std::uint32_t);
    bool changed = shown.size() != width * rows;
    for (std::size_t y = 0; y < rows && !changed; ++y) {
        changed = std::memcmp(pixels + y * pitch, shown.data() + y * width, rowBytes) != 0;
    }
    if (!changed) {
        return false;
    }
    shown.resize(width * rows);
    for (std::size_t y = 0; y < rows; ++y) {
        std::memcpy(shown.data() + y * width, pixels + y * pitch, rowBytes);
    }
    return true;
}

bool Presentable(const Surface& surface) {
    return !surface.IsLost() && !surface.IsLocked();
}

} // namespace

void DisplayEngine::State::releaseShown() {
    if (present != nullptr) {
        present->Release();
    }
    shown = -1;
    shownStatus.clear();
}

bool DisplayEngine::State::pictureChanged() {
    if (!Presentable(composition()) || !Presentable(status)) {
        releaseShown();
        return true; // the target refuses it, and the refusal asks for the display check
    }
    // Whatever is written is written into a surface the target does not show.
    const bool compositionChanged =
        shown != drawing && (shown < 0 || !SamePicture(composition(), other()));
    return RememberIfChanged(status, shownStatus) || compositionChanged;
}

void DisplayEngine::Present() {
    State& s = *state_;
    if (s.present == nullptr || s.pictureCurrent || !s.pictureChanged()) {
        return;
    }
    if (!s.present->Present(s.composition(), s.status)) {
        s.releaseShown();
        s.post(oxcmd::run::kScreenMode, oxcmd::run::kScreenModeSurfacesLost);
        return;
    }
    s.shown = s.drawing;
}

void DisplayEngine::ChangeBackground(std::uint8_t grey) {
    State& s = *state_;
    s.grey = grey;
    FullRedraw();
    Erase();
    s.forcePlain = true;
    DrawTraces(!s.running());
    s.forcePlain = false;
    Compose();
    DrawOverlays();
    Present();
}

void DisplayEngine::LoseAllSurfaces() {
    State& s = *state_;
    for (Surface* surface : {&s.grid, &s.traceA, &s.traceB, &s.compositions[0], &s.compositions[1],
                             &s.markers, &s.status, &s.refLayer}) {
        surface->SetLost();
    }
    s.touchLayers();
}

const Surface& DisplayEngine::Composition() const {
    return state_->composition();
}
const Surface& DisplayEngine::Grid() const {
    return state_->grid;
}
const Surface& DisplayEngine::TraceA() const {
    return state_->traceA;
}
const Surface& DisplayEngine::TraceB() const {
    return state_->traceB;
}
const Surface& DisplayEngine::MarkerStrip() const {
    return state_->markers;
}
const Surface& DisplayEngine::Status() const {
    return state_->status;
}

std::span<const std::int16_t> DisplayEngine::ChannelPairs(int channel, int region) const {
    return state_->channel[channel & 1][region & 1].pairs;
}

std::span<const std::int16_t> DisplayEngine::ChannelRows(int channel, int region) const {
    return state_->channel[channel & 1][region & 1].rows;
}

std::span<const std::int16_t> DisplayEngine::MathPairs(int slot) const {
    return state_->math[static_cast<std::size_t>(std::clamp(slot, 0, kMathSlots - 1))][0].pairs;
}

std::span<const std::uint16_t> DisplayEngine::LaPairs(int region) const {
    return state_->la[region & 1].pairs;
}

std::uint32_t DisplayEngine::ChannelPixel(int channel) const {
    return state_->channelTable[channel & 1][0];
}

std::uint32_t DisplayEngine::MathPixel() const {
    return state_->mathTable[0];
}

} // namespace oxdisplay
