// The display engine's state: surfaces, per-trace buffers and the helpers the pipeline and
// the renderer share. Everything is sized once, at construction.
#pragma once

#include "oxdisplay.h"
#include "tracekit.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace oxdisplay {

inline constexpr int kPairValues = 2 * kColumns; // 1400 values: 700 column pairs
inline constexpr int kRegions = 2;               // main (upper) and second (lower)
inline constexpr int kFftBins = 1024;
inline constexpr int kMathFilterSlotBase = 4; // numerix filter slots of the math traces

// Memory that stays zero and costs nothing until it is written: calloc hands out pages the
// system zeroes when first touched, and value-initialising an element writes nothing. Only
// fresh vectors are zero this way (ZeroedBuffer), never one grown again after shrinking; the
// engine's deep buffers, most of which a session never draws into, are made like this.
template <class T> struct ZeroedAllocator {
    using value_type = T;
    ZeroedAllocator() = default;
    template <class U> explicit ZeroedAllocator(const ZeroedAllocator<U>&) {}
    [[nodiscard]] T* allocate(std::size_t n) {
        void* memory = std::calloc(n, sizeof(T));
        if (memory == nullptr) throw std::bad_alloc();
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t) { std::free(memory); }
    template <class U> void construct(U*) noexcept {} // calloc's memory is zero already
    template <class U, class... Args> void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
    bool operator==(const ZeroedAllocator&) const = default;
};
template <class T> using ZeroedVector = std::vector<T, ZeroedAllocator<T>>;

template <class T> [[nodiscard]] ZeroedVector<T> ZeroedBuffer(std::size_t size) {
    ZeroedVector<T> buffer;
    buffer.resize(size);
    return buffer;
}

// One analog or math trace of one region.
struct TraceBuffers {
    ZeroedVector<std::int16_t> rows;    // a screen row per sample, plus one spare
    std::vector<std::int16_t> pairs;    // 700 column pairs
    ZeroedVector<std::int16_t> history; // 17 persistence frames, 3072 values apart
    ZeroedVector<std::uint32_t> grade;  // persistence / colour-grade accumulation
    int window = OX_WIN_MAIN;           // trace window record in use
    int region = 0;                     // 0 draws on trace surface A, 1 on B
    int samples = 0;                    // valid rows
    bool live = false;                  // pairs came from a live frame
    bool drawable = false;              // the last pipeline run left something to draw
    // What the next colour-grade copy of `grade` repaints; allocated with it.
    std::unique_ptr<tracekit::GradeChanges> gradeChanges;

    void Allocate(std::size_t capacity, bool accumulates);
};

struct LaBuffers {
    std::vector<std::uint16_t> pairs; // 16-bit (AND, OR) pairs per column
    int window = OX_WIN_LA_MAIN;
    int region = 0;
    bool drawable = false;
};

// Where one region of the current layout lies.
struct RegionGeometry {
    CRect compose;     // its rectangle on the composition surface
    int height = 0;    // plot height a
    int rowOffset = 0; // trace-surface row of its top graticule line (a / 8)
    int gridTop = 0;   // grid-surface row of its top line
};

struct DisplayEngine::State {
    State(DisplayRecords records, ChannelBuffers channels, ReferenceBuffers references,
          FrameCounters& counters, DisplayCommands& commands, MeasureSink& measure,
          PresentTarget* present);

    DisplayRecords rec;
    ChannelBuffers channels;
    ReferenceBuffers references;
    FrameCounters& counters;
    DisplayCommands& commands;
    MeasureSink* measure;
    PresentTarget* present;

    Surface grid{kColumns, kPlotRows, kComposeWidth};
    Surface traceA{kColumns, kTraceRows, kComposeWidth};
    Surface traceB{kColumns, kTraceRows, kComposeWidth};
    // The picture is composed into one of two surfaces while the present target may go on
    // showing the other straight from its pixels; the one shown is never written.
    std::array<Surface, 2> compositions{Surface{kComposeWidth, kComposeHeight},
                                        Surface{kComposeWidth, kComposeHeight}};
    int drawing = 0;     // the one composed into
    int shown = -1;      // the one the target shows (-1: none)
    bool behind = false; // `drawing` lacks what was composed into the other since it was taken
    Surface markers{kMarkerWidth, kComposeHeight};
    Surface status{kStatusWidth, kStatusHeight};
    Surface refLayer{kColumns, kTraceRows, kComposeWidth}; // references before they join the grid

    std::array<std::array<TraceBuffers, kRegions>, 2> channel;       // [channel][region]
    std::array<std::array<TraceBuffers, kRegions>, kMathSlots> math; // [slot][region]
    std::array<LaBuffers, kRegions> la;
    std::array<TraceBuffers, kRefSlots> ref;

    // Scratch shared by the math slots.
    ZeroedVector<std::uint8_t> mathRaw;
    ZeroedVector<std::int32_t> filterRows;
    std::vector<std::int32_t> filterInput;
    std::vector<std::int16_t> filterOutput;
    std::vector<std::int16_t> fftBins;
    std::vector<std::int16_t> stopScratch;
    struct FilterDesign {
        int type = -1;
        float lower = 0, upper = 0, rate = 0;
    };
    std::array<FilterDesign, kMathSlots> filterDesign;

    std::array<std::array<std::uint32_t, tracekit::kColorTableSize>, 2> channelTable{};
    std::array<std::uint32_t, tracekit::kColorTableSize> mathTable{};
    std::array<std::uint32_t, tracekit::kColorTableSize> refTable{};

    // What the grid surface shows besides the references: a setup asking for another
    // background (grid style or intensity, layout, the delayed view's zoom window) makes the
    // display tick redraw it.
    struct Background {
        Layout layout = Layout::Single;
        std::int32_t grid = 0;
        std::int32_t gridIntensity = 0;
        std::array<std::int32_t, 4> zoomWindow{};
        bool operator==(const Background&) const = default;
    };
    [[nodiscard]] Background background() const;
    std::optional<Background> drawnBackground; // none: nothing drawn yet

    // The setup the status surface was last drawn from: the bar is redrawn only when the
    // setup changed, or after a full redraw.
    std::unique_ptr<_OX_SETUP> statusDrawnFor = std::make_unique<_OX_SETUP>();
    bool statusValid = false;

    // What the last composition was made from. A tick whose layers, records, grey and
    // layout are all unchanged composes, draws and presents nothing.
    struct Composed {
        bool valid = false;
        std::unique_ptr<_OX_SETUP> setup = std::make_unique<_OX_SETUP>();
        std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
        std::uint8_t grey = 0;
        Layout layout = Layout::Single;
    } composed;
    bool layersChanged = true;   // grid or trace layers drawn since the last composition
    bool pictureCurrent = false; // this tick's composition was skipped: the last one stands

    // The status bar the present target shows: a bar equal to it presents nothing.
    std::vector<std::uint32_t> shownStatus;

    std::uint8_t grey = 0;    // background grey level
    bool forcePlain = false;  // the background-change redraw draws with the plain routine
    bool tracesDrawn = false; // traces were drawn since the trace layers were last erased
    bool accumulates() const {
        return !forcePlain && (setup().bDisplayPersist || setup().bDisplayColorGrade);
    }
    MeasureInput measureInput;
    std::vector<std::string> overlayLines; // the sink's read-outs drawn over the picture

    // ---- shared helpers ----
    _OX_SETUP& setup() const { return *rec.setup; }
    _OX_RGN_SETUP& region() const { return *rec.region; }
    OX_TRACE_WINDOW& window(int index) const { return rec.positions->stWindow[index]; }
    Layout layout() const;
    RegionGeometry geometry(int region) const;
    bool running() const { return setup().bRun != 0; }
    bool channelShown(int ch, bool stopped) const;
    bool mathShown(int slot, bool stopped) const;
    bool laShown(bool stopped) const;
    void buildColourTables();
    void post(unsigned int subCmd, long value) {
        commands.PostIOCmd(oxcmd::group::kRunControl, subCmd, value);
    }
    bool restoreAll();
    Surface& composition() { return compositions[static_cast<std::size_t>(drawing)]; }
    const Surface& composition() const { return compositions[static_cast<std::size_t>(drawing)]; }
    const Surface& other() const { return compositions[static_cast<std::size_t>(1 - drawing)]; }
    // Before the composition is written: when the target shows it, the other one is taken.
    // A taken surface is given what the newer one holds outside `rewritten`, the
    // rectangles the writer draws whole.
    void writeComposition(std::span<const CRect> rewritten = {});
    // Whether the composed picture differs from the one the target shows (remembering the
    // status bar).
    bool pictureChanged();
    // The target stops reading the composition and is sent everything afresh next time.
    void releaseShown();
    // The layers changed: the next tick composes again.
    void touchLayers() {
        layersChanged = true;
        pictureCurrent = false;
    }
    [[nodiscard]] bool nothingNewToCompose() const;
    void rememberComposed();
    void copyGridToTraces();
    void clearTraces();
    // Something other than a colour-grade copy drew on trace surface `region` (0 A, 1 B): the
    // grade pictures there are repainted in full at their next copy.
    void traceSurfaceDrawn(int region);
};

// A locked surface, unlocked when the scope ends.
class Locked {
public:
    explicit Locked(Surface& surface) : surface_(surface), result_(surface.Lock(desc_)) {}
    ~Locked() {
        if (ok()) {
            surface_.Unlock();
        }
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    bool ok() const { return result_ == SurfaceResult::Ok; }
    bool lost() const { return result_ == SurfaceResult::Lost; }
    const DDSURFACEDESC2& desc() const { return desc_; }

private:
    Surface& surface_;
    DDSURFACEDESC2 desc_;
    SurfaceResult result_;
};

// A trace window as the plotting library takes it.
tracekit::TraceWindow ToTraceWindow(const OX_TRACE_WINDOW& window);
// The window shows at least two samples of a record of `samples` on valid columns.
bool ShowsRecord(const OX_TRACE_WINDOW& window, int samples);

// Pipeline steps (pipeline.cpp, pipeline_math.cpp).
void ProcessChannel(DisplayEngine::State& s, int ch, int region, std::span<const std::uint8_t> raw,
                    int window, int points, bool stopped);
void ProcessMath(DisplayEngine::State& s, int slot, int region, int points, bool stopped);
void ProcessLa(DisplayEngine::State& s, int region, std::span<const std::uint16_t> raw, int window,
               int points);
void ProcessReferences(DisplayEngine::State& s);

// Renderer steps shared between its files.
void DrawReferences(DisplayEngine::State& s, const DDSURFACEDESC2& layer);
// Every byte of the surface set to `grey`.
void FillGrey(const DDSURFACEDESC2& desc, std::uint8_t grey);
// UTF-8 text in the overlay font; a character it has no glyph for shows as one "?".
void DrawText(DDSURFACEDESC2 desc, int x, int y, const char* text, std::uint32_t colour);
// The width in pixels DrawText gives `text`.
[[nodiscard]] int TextWidth(const char* text);

} // namespace oxdisplay
