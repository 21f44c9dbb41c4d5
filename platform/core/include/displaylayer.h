// The display layer: the screen modes of the primary display. The UI installs the
// implementation that reports the real screen (and offers the maximised 800 x 600 view
// as a mode); with nothing installed there are no modes and nothing can be switched.
#pragma once

#include <vector>

namespace oxbow {

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int refreshRate = 0;

    bool operator==(const DisplayMode&) const = default;
};

class DisplayLayer {
public:
    virtual ~DisplayLayer() = default;
    // Mode number `index` of the primary display, counting from 0; false past the last.
    virtual bool EnumMode(int index, DisplayMode& mode) const = 0;
    // The mode in use; false when it cannot be read.
    virtual bool CurrentMode(DisplayMode& mode) const = 0;
    // Switches to one of the enumerated modes; true when the switch took effect.
    virtual bool ApplyMode(const DisplayMode& mode) = 0;
};

// Enumeration stops here even if a layer reports more modes, so a faulty layer cannot hang
// a caller that counts modes upward.
inline constexpr int kMaxDisplayModes = 4096;

// Installs the process-wide layer (nullptr removes it) and returns the previous one.
// The caller keeps ownership.
DisplayLayer* InstallDisplayLayer(DisplayLayer* layer);
DisplayLayer* InstalledDisplayLayer();

// A display with a fixed list of modes, the first of them current. Applying a listed mode
// makes it current unless refusals are switched on. Used headless and in tests.
class ListedDisplayLayer : public DisplayLayer {
public:
    explicit ListedDisplayLayer(std::vector<DisplayMode> modes);

    bool EnumMode(int index, DisplayMode& mode) const override;
    bool CurrentMode(DisplayMode& mode) const override;
    bool ApplyMode(const DisplayMode& mode) override;

    void SetRefuseChanges(bool refuse) { refuse_ = refuse; }
    int AppliedCount() const { return applied_; }

private:
    std::vector<DisplayMode> modes_;
    DisplayMode current_;
    bool refuse_ = false;
    int applied_ = 0;
};

} // namespace oxbow
