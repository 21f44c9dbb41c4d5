#include "windowgeometry.h"

#include "fancyctl.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace oxapp {
namespace {

constexpr const char* kKey = "Window";
constexpr const char* kName = "Geometry";

// The start of a span of `length` inside the area where it fits; the area's start otherwise.
int Within(int start, int length, int areaStart, int areaLength) {
    if (length >= areaLength) return areaStart;
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

bool TitleBandReachable(const QRect& place, const QRect& available) {
    const QRect band(place.topLeft(), QSize(place.width(), CCommonDlg::kTitleHeight));
    const QRect shown = band.intersected(available);
    return shown.height() == band.height() &&
           shown.width() >= std::min(kReachableWidth, band.width());
}

// The views' left edge beside the window on the side with room for `width`; none when neither
// side has it. (Transposed rectangles give the top edge below or above the window.)
std::optional<int> BesideWindow(const QRect& window, const QRect& screen, int width) {
    const int right = window.right() + 1 + kFloatingGap;
    if (right + width <= screen.right() + 1) return right;
    const int left = window.left() - kFloatingGap - width;
    if (left >= screen.left()) return left;
    return std::nullopt;
}

// The rectangle mirrored on the diagonal: x for y, width for height.
QRect Transposed(const QRect& r) {
    return {r.y(), r.x(), r.height(), r.width()};
}

// A view centred on `y`, kept on the screen.
int LevelWith(int y, int height, const QRect& screen) {
    return Within(y - height / 2, height, screen.top(), screen.height());
}

} // namespace

FloatingPlaces FloatingViewPlaces(const QRect& window, const QRect& picture, const QRect& screen,
                                  const QSize& mainSize, const QSize& delayedSize) {
    const int upperMiddle = picture.top() + picture.height() / 4;
    const int lowerMiddle = picture.top() + picture.height() * 3 / 4;
    if (const auto x =
            BesideWindow(window, screen, std::max(mainSize.width(), delayedSize.width()))) {
        return {{*x, LevelWith(upperMiddle, mainSize.height(), screen)},
                {*x, LevelWith(lowerMiddle, delayedSize.height(), screen)}};
    }
    // Else side by side under the window, or over it, below the picture's left end.
    const int width = mainSize.width() + kFloatingGap + delayedSize.width();
    const int height = std::max(mainSize.height(), delayedSize.height());
    if (const auto y = BesideWindow(Transposed(window), Transposed(screen), height)) {
        const int x = Within(picture.left(), width, screen.left(), screen.width());
        return {{x, *y}, {x + mainSize.width() + kFloatingGap, *y}};
    }
    // No room around the window: over the picture, at the bottom right of each half.
    const int middle = picture.top() + picture.height() / 2;
    return {{picture.right() + 1 - kFloatingGap - mainSize.width(),
             middle - kFloatingGap - mainSize.height()},
            {picture.right() + 1 - kFloatingGap - delayedSize.width(),
             picture.bottom() + 1 - kFloatingGap - delayedSize.height()}};
}

QRect FittedGeometry(const std::optional<QRect>& saved, const QSize& preferred,
                     const QSize& minimum, const QRect& available) {
    const QSize wanted = saved ? saved->size() : preferred;
    if (available.isEmpty()) return QRect(saved ? saved->topLeft() : QPoint(), wanted);
    const QSize size = wanted.boundedTo(available.size()).expandedTo(minimum);
    if (saved && TitleBandReachable(QRect(saved->topLeft(), size), available))
        return QRect(saved->topLeft(), size);
    QRect place(QPoint(), size);
    place.moveCenter(available.center());
    place.moveTo(Within(place.x(), size.width(), available.x(), available.width()),
                 Within(place.y(), size.height(), available.y(), available.height()));
    return place;
}

std::optional<QRect> LoadWindowGeometry(const oxbow::SettingsStore& store) {
    std::string text;
    if (store.ReadString(kKey, kName, text) != oxbow::SettingsStore::Status::Ok) return {};
    const QStringList parts = QString::fromStdString(text).split(',');
    if (parts.size() != 4) return {};
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) return {};
    }
    if (numbers[2] <= 0 || numbers[3] <= 0) return {};
    return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

bool SaveWindowGeometry(oxbow::SettingsStore& store, const QRect& geometry) {
    const QString text = QString("%1,%2,%3,%4")
                             .arg(geometry.x())
                             .arg(geometry.y())
                             .arg(geometry.width())
                             .arg(geometry.height());
    return store.WriteString(kKey, kName, text.toStdString()) == oxbow::SettingsStore::Status::Ok;
}

} // namespace oxapp
