// Conversions between values and graticule pixels. An area is 8 divisions high whatever
// its size; a division is 50 pixels wide.
#include "oxcommon.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLeftMarkerX = 15;
constexpr int kTopMarkerDrop = 15;
constexpr double kVerticalDivisions = 8;
constexpr double kPixelsPerDivision = 50;
constexpr double kScreenColumns = 700;
constexpr int kMinDelayedWidth = 3;
constexpr float kLaPositionLimit = 3.65f;
// No marker is ever this far outside the screen; the limit keeps every result an int.
constexpr double kPixelLimit = 1'000'000;

double Height(const CRect& area) {
    return static_cast<double>(area.bottom) - area.top;
}

// The vertical centre line, with the half height computed in integers.
double CentreY(const CRect& area) {
    return area.top + std::trunc(Height(area) / 2);
}

// 0 instead of a division by zero.
double Quotient(double numerator, double denominator) {
    return denominator == 0 ? 0 : numerator / denominator;
}

// Rounded half away from zero; NaN counts as 0.
double Pixels(double value) {
    return std::isnan(value) ? 0 : std::round(value);
}

// A final pixel coordinate, limited so that it always fits an int.
int ToPixel(double value) {
    return static_cast<int>(std::clamp(Pixels(value), -kPixelLimit, kPixelLimit));
}

} // namespace

float GetVoltOffset(float voltsPerDiv, const CRect& area, const CPoint& point) {
    return static_cast<float>(
        Quotient(voltsPerDiv * (CentreY(area) - point.y) * kVerticalDivisions, Height(area)));
}

CPoint GetVoltOffsetPt(float voltsPerDiv, float offset, const CRect& area) {
    double rows = Quotient(offset, voltsPerDiv) * Height(area) / kVerticalDivisions;
    return {kLeftMarkerX, ToPixel(CentreY(area) - Pixels(rows))};
}

float GetTrigLevel(float voltsPerDiv, const CRect& area, const CPoint& point,
                   const CPoint& reference) {
    double rows = static_cast<double>(point.y) - reference.y;
    return static_cast<float>(Quotient(rows * voltsPerDiv * kVerticalDivisions, Height(area)));
}

CPoint GetTrigLevelPt(float voltsPerDiv, float level, float offset, const CRect& area) {
    double h = Height(area);
    double rows =
        Quotient(h * (static_cast<double>(level) + offset), voltsPerDiv) / kVerticalDivisions;
    return {kLeftMarkerX, ToPixel(Pixels(h / 2) + area.top - Pixels(rows))};
}

double GetTrigOffset(double secondsPerDiv, const CPoint& point, const CPoint& reference) {
    return (static_cast<double>(point.x) - reference.x) * secondsPerDiv / kPixelsPerDivision;
}

CPoint GetTrigOffsetPt(double secondsPerDiv, double offset, const CPoint& reference) {
    double columns = Quotient(offset * kPixelsPerDivision, secondsPerDiv);
    return {ToPixel(reference.x - Pixels(columns)),
            ToPixel(reference.y + static_cast<double>(kTopMarkerDrop))};
}

CPoint GetXYTimeOffsetPt(double secondsPerDiv, double offset, const CPoint& reference) {
    double columns = Quotient(offset * kPixelsPerDivision, secondsPerDiv);
    return {ToPixel(reference.x + Pixels(columns)),
            ToPixel(reference.y + static_cast<double>(kTopMarkerDrop))};
}

CRect GetDelayedRect(double mainScale, double delayedScale, double mainOffset, double delayedOffset,
                     const CRect& area, const CPoint& reference) {
    if (mainScale == 0) {
        return {};
    }
    double width = delayedScale * kScreenColumns / mainScale;
    if (!(width >= kMinDelayedWidth)) {
        width = kMinDelayedWidth;
    }
    double middle = (delayedOffset - mainOffset) * kPixelsPerDivision / mainScale + reference.x;
    double left = Pixels(middle - width / 2);
    double right = Pixels(middle + width / 2 + 1);
    double lastColumn = area.right - 1.0;
    if (left < area.left && right > lastColumn) {
        return {area.left, area.top, ToPixel(lastColumn), area.bottom};
    }
    double span = Pixels(width);
    if (right > lastColumn) {
        right = lastColumn;
        left = right - span;
    }
    if (left < area.left) {
        left = area.left;
        right = left + span;
    }
    return {ToPixel(left), area.top, ToPixel(right), area.bottom};
}

float GetLaDisplayPos(const CPoint& point, const CRect& area) {
    double divisions = Quotient((CentreY(area) - point.y) * kVerticalDivisions, Height(area));
    return std::clamp(static_cast<float>(divisions), -kLaPositionLimit, kLaPositionLimit);
}

void AdjustCursorCoordinate(int source, CPoint& first, CPoint& second, CPoint& third,
                            const CRect& firstArea, const CRect& secondArea,
                            const CRect& thirdArea) {
    CPoint* points[] = {&first, &second, &third};
    const CRect* areas[] = {&firstArea, &secondArea, &thirdArea};
    if (source < 0 || source > 2) {
        return;
    }
    const CPoint from = *points[source];
    const CRect& fromArea = *areas[source];
    double fromSpan = static_cast<double>(fromArea.top) - fromArea.bottom;
    double fromRise = static_cast<double>(from.y) - fromArea.bottom;
    for (int i = 0; i < 3; ++i) {
        if (i == source) {
            continue;
        }
        double span = static_cast<double>(areas[i]->top) - areas[i]->bottom;
        double rise = std::trunc(Quotient(span * fromRise, fromSpan));
        *points[i] = {from.x, ToPixel(areas[i]->bottom + rise)};
    }
}

float GetMathScale(int index, float value) {
    static constexpr double kMultipliers[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1,
                                              0.2,   0.5,   1,     2,    5,    10};
    return static_cast<float>(value * kMultipliers[std::clamp(index, 0, 12)]);
}

int GetMathScaleExt(float a, float b) {
    // Upper bounds of the indexes 12 down to 1, with 0.1 % allowance.
    static constexpr float kBounds[] = {5.001f,   2.001f,    1.001f,    0.5001f,
                                        0.2001f,  0.1001f,   0.05001f,  0.02001f,
                                        0.01001f, 0.005001f, 0.002001f, 0.001001f};
    constexpr float kLowestRatio = 0.0005f;
    float c = a / b;
    if (c > 10.001f) {
        return 13;
    }
    for (int i = 0; i < 12; ++i) {
        if (c > kBounds[i]) {
            return 12 - i;
        }
    }
    return c >= kLowestRatio ? 0 : -1;
}

int GetFFTDivs(int index) {
    switch (index) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 3:
        return 5;
    case 5:
        return 20;
    case 6:
        return 50;
    case 7:
        return 100;
    default:
        return 10;
    }
}
