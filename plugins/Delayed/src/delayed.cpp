#include "delayed.h"

#include "ox_records.h"
#include "plugindlg.h"
#include "timebaserows.h"

#include <QPainter>

namespace {

using namespace oxbow::ui;
namespace tb = oxbow::ui::timebase;

constexpr QSize kPanelSize{230, 22};
constexpr int kDarkest = 16; // a background pixel this dark or darker is outside the panel
constexpr int kRightOfCentre = 34;
constexpr int kDelayedGap = 59; // delayed panel: its top this far, plus its height, above
constexpr int kMainGap = 74;    // main panel: this, twice its height and the zoomed area

struct PanelIds {
    int scaleDown, scale, scaleUp, offsetUp, offset, offsetDown;
};

template <int S> std::vector<ControlRow> PanelRows(const PanelIds& ids) {
    const int h = kPanelSize.height() - 4;
    std::vector<ControlRow> rows = {
        tb::ScaleStep<S, false>(ids.scaleDown, {8, 2, 18, h}, "\u25c0"),
        tb::ScaleField<S>(ids.scale, {27, 2, 72, h}),
        tb::ScaleStep<S, true>(ids.scaleUp, {100, 2, 18, h}, "\u25b6"),
        tb::OffsetSpin<S, true>(ids.offsetUp, {122, 2, 18, h}, "\u25b2", "Increase Offset"),
        tb::OffsetField<S>(ids.offset, {141, 2, 62, h}),
        tb::OffsetSpin<S, false>(ids.offsetDown, {204, 2, 18, h}, "\u25bc", "Decrease Offset"),
    };
    // Outside alternation the main panel acts only while the delayed timebase is on.
    if (S == 0)
        for (ControlRow& row : rows)
            row.acts = tb::SecondShown;
    return rows;
}

// The panel's background: a rounded strip on black (the black is cut away by the shape);
// alternation gives it a coloured rim.
QImage Background(bool alternation) {
    QImage image(kPanelSize, QImage::Format_RGB32);
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
    CFloatDlg(const PluginContext& context, int section, int templateId,
              const std::vector<ControlRow>& rows)
        : CPluginDlg(context, {.templateId = templateId,
                               .size = kPanelSize,
                               .title = "",
                               .closeSub = 0,
                               .draggable = false,
                               .controls = rows}),
          m_section(section) {
        setContentsMargins(0, 0, 0, 0);
        setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    }

protected:
    // The zoomed window the main panel sits above may have changed its height.
    void OnRefreshed() override {
        const bool alternation = tb::Alternation(View());
        if (m_background.isNull() || alternation != m_alternation) {
            m_alternation = alternation;
            m_background = Background(alternation);
            setMask(RegionFromBitmap(m_background));
        }
        Place();
    }
    // The main window moved or changed its layout.
    void OnMessage(oxcmd::Group group, oxcmd::Sub sub, long) override {
        if (group == oxcmd::group::kRunControl && sub == oxcmd::run::kPlaceFloatingViews) Place();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, m_background);
    }

private:
    // Centred on the main window, a little right of centre; the delayed panel near the
    // bottom, the main panel above the zoomed trace area.
    void Place() {
        const QWidget* host = parentWidget();
        if (host == nullptr) return;
        const QRect window = host->frameGeometry();
        const int h = height();
        const OX_RECT& zoomed = View().region.rcLower;
        const int above =
            m_section == 0 ? kMainGap + 2 * h + (zoomed.bottom - zoomed.top) : kDelayedGap + h;
        move(window.center().x() - width() / 2 + kRightOfCentre, window.bottom() - above);
    }

    int m_section;
    bool m_alternation = false;
    QImage m_background;
};

const std::vector<ControlRow>& MainRows() {
    static const std::vector<ControlRow> rows =
        PanelRows<0>({23018, 23019, 23020, 23021, 23022, 23023});
    return rows;
}

const std::vector<ControlRow>& DelayedRows() {
    static const std::vector<ControlRow> rows =
        PanelRows<1>({23010, 23016, 23008, 23006, 23002, 23004});
    return rows;
}

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
    return ShowPluginDialog<CFloatDlg>(context, 0, 23019, MainRows());
}

CWnd* ShowFloatDlg(const PluginContext& context, long) {
    return ShowPluginDialog<CFloatDlg>(context, 1, 20023, DelayedRows());
}
