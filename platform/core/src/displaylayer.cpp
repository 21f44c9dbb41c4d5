#include "displaylayer.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace oxbow {

namespace {
std::atomic<DisplayLayer*> g_installed{nullptr};
}

DisplayLayer* InstallDisplayLayer(DisplayLayer* layer) {
    return g_installed.exchange(layer);
}

DisplayLayer* InstalledDisplayLayer() {
    return g_installed.load();
}

ListedDisplayLayer::ListedDisplayLayer(std::vector<DisplayMode> modes) : modes_(std::move(modes)) {
    if (!modes_.empty()) {
        current_ = modes_.front();
    }
}

bool ListedDisplayLayer::EnumMode(int index, DisplayMode& mode) const {
    if (index < 0 || static_cast<std::size_t>(index) >= modes_.size()) {
        return false;
    }
    mode = modes_[static_cast<std::size_t>(index)];
    return true;
}

bool ListedDisplayLayer::CurrentMode(DisplayMode& mode) const {
    if (modes_.empty()) {
        return false;
    }
    mode = current_;
    return true;
}

bool ListedDisplayLayer::ApplyMode(const DisplayMode& mode) {
    if (refuse_ || std::find(modes_.begin(), modes_.end(), mode) == modes_.end()) {
        return false;
    }
    current_ = mode;
    ++applied_;
    return true;
}

} // namespace oxbow
