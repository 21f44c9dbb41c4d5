#include "delayed.h"

#include "ox_records.h"
#include "plugindlg.h"
#include "timebaserows.h"

#include <QPainter>

namespace {

using namespace oxbow::ui;
namespace tb = oxbow::ui::timebase;
using Id = FloatViewId;

constexpr int kDarkest = 16; // a background pixel this dark or darker is outside the panel

template <int Section> const std::vector<Row>& PanelRows() {
    static const std::vector<Row> rows = [] {
        std::vector<Row> made = {
            tb::ScaleStep<false>(Id::ScaleDown, {0, 0}, Section, "\u25c0"),
            tb::ScaleField(Id::Scale, {0, 1}, Section),
            tb::ScaleStep<true>(Id::ScaleUp, {0, 2}, Section, "\u25b6"),
            tb::OffsetSpin<true>(Id::OffsetUp, {0, 3}, Section, "\u25b2", "Increase Offset"),
            tb::OffsetField(Id::Offset, {0, 4}, Section),
            tb::OffsetSpin<false>(Id::OffsetDown, {0, 5}, Section, "\u25bc", "Decrease Offset"),
        };
        for (Row& row : made)
            if (row.kind == Kind::Value) row.chars = 8;
        // Outside alternation the main panel acts only while the delayed timebase is on.
        if (Section == 0)
            for (Row& row : made)
                row.acts = tb::SecondShown;
        return made;
    }();
    return rows;
}

template <int Section> const DialogLayout& PanelLayout() {
    static const DialogLayout layout{.title = "", .rows = PanelRows<Section>(), .draggable = false};
    return layout;
}

// The panel's background: a rounded strip on black (the black is cut away by the shape);
// alternation gives it a coloured rim.
QImage Background(QSize size, bool alternation) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(alternation ? PluginColours::Channel2 : QColor(0x70, 0x78, 0x84), 1.5));
    painter.setBrush(QColor(0x2c, 0x31, 0x3a));
    painter.drawRoundedRect(QRectF(image.rect()).adjusted(1, 1, -1, -1), 9, 9);
    return image;
}

class CFloatDlg final : public CPluginDlg {
public:
    CFloatDlg(const PluginContext& context, const DialogLayout& layout)
        : CPluginDlg(context, layout) {
        setContentsMargins(6, 2, 6, 2);
        setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    }

protected:
    // The panel is shaped to its size and rim (the main window places it).
    void OnRefreshed() override { m_alternation = tb::Alternation(View()); }
    void resizeEvent(QResizeEvent* event) override {
        CPluginDlg::resizeEvent(event);
        Reshape();
    }
    void paintEvent(QPaintEvent*) override {
        if (m_background.size() != size() || m_shapedAlternation != m_alternation) Reshape();
        QPainter painter(this);
        painter.drawImage(0, 0, m_background);
    }

private:
    void Reshape() {
        m_shapedAlternation = m_alternation;
        m_background = Background(size(), m_alternation);
        setMask(RegionFromBitmap(m_background));
    }

    bool m_alternation = false;
    bool m_shapedAlternation = false;
    QImage m_background;
};

} // namespace

QRegion RegionFromBitmap(const QImage& bitmap) {
    const QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
    std::vector<QRect> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int start = -1;
        for (int x = 0; x <= image.width(); ++x) {
            const bool inside =
                x < image.width() &&
                (qRed(row[x]) > kDarkest || qGreen(row[x]) > kDarkest || qBlue(row[x]) > kDarkest);
            if (inside && start < 0) start = x;
            if (!inside && start >= 0) {
                runs.emplace_back(start, y, x - start, 1);
                start = -1;
            }
        }
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

CWnd* ShowFloatMainDlg(const PluginContext& context, long) {
    return ShowPluginDialog<CFloatDlg>(context, PanelLayout<0>());
}

CWnd* ShowFloatDlg(const PluginContext& context, long) {
    return ShowPluginDialog<CFloatDlg>(context, PanelLayout<1>());
}
