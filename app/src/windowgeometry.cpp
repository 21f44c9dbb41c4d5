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

} // namespace

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

QRect BesideWindow(const QRect& window, const QRect& over, const QSize& size,
                   const QRect& available, int gap, std::optional<int> sideTop) {
    const int top = sideTop.value_or(window.top());
    const auto onScreen = [&](QPoint at) {
        return QPoint(Within(at.x(), size.width(), available.x(), available.width()),
                      Within(at.y(), size.height(), available.y(), available.height()));
    };
    const QPoint beside[] = {
        {window.right() + 1 + gap, top},
        {window.left() - gap - size.width(), top},
        {window.left(), window.bottom() + 1 + gap},
        {window.left(), window.top() - gap - size.height()},
    };
    for (const QPoint& at : beside) {
        // Slid along the window's side onto the screen, never onto the window.
        const QRect place(onScreen(at), size);
        if (available.contains(place) && !place.intersects(window)) return place;
    }
    return QRect(onScreen({over.left(), over.bottom() + 1 - size.height()}), size);
}

FloatingPlaces FloatingViewPlaces(const QRect& window, const QRect& picture, const QRect& screen,
                                  const QSize& mainSize, const QSize& delayedSize) {
    const QSize both(std::max(mainSize.width(), delayedSize.width()),
                     mainSize.height() + kFloatingGap + delayedSize.height());
    const QRect place = BesideWindow(window, picture, both, screen, kFloatingGap,
                                     picture.center().y() - both.height() / 2);
    return {place.topLeft(), place.topLeft() + QPoint(0, mainSize.height() + kFloatingGap)};
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
