#include "scopeview.h"

#include "instrumentstyle.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace oxbow::ui {

ScopeView::ScopeView(QWidget* parent, int pictureWidth, int pictureHeight)
    : QWidget(parent),
      m_own(std::max(pictureWidth, 1), std::max(pictureHeight, 1), QImage::Format_RGB32) {
    m_own.fill(Qt::black);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

QSize ScopeView::sizeHint() const {
    return m_own.size();
}
QSize ScopeView::minimumSizeHint() const {
    return m_own.size();
}

bool ScopeView::Present(const Surface& surface) {
    if (surface.IsLost() || surface.IsLocked()) return false;
    return CopyIn(surface.Pixels(), surface.Width(), surface.Height(),
                  static_cast<std::size_t>(surface.PitchPixels()));
}

bool ScopeView::Present(const DDSURFACEDESC2& picture) {
    if (picture.lpSurface == nullptr || picture.ddpfPixelFormat.dwRGBBitCount != 32 ||
        picture.lPitch < 0 ||
        static_cast<std::uint32_t>(picture.lPitch) < picture.dwWidth * sizeof(std::uint32_t))
        return false;
    return CopyIn(static_cast<const std::uint32_t*>(picture.lpSurface),
                  static_cast<int>(picture.dwWidth), static_cast<int>(picture.dwHeight),
                  static_cast<std::size_t>(picture.lPitch) / 4);
}

bool ScopeView::CopyIn(const std::uint32_t* pixels, int width, int height,
                       std::size_t pitchPixels) {
    {
        std::lock_guard guard(m_frontLock);
        CopyIntoOwn(pixels, width, height, pitchPixels);
    }
    RequestRepaint();
    return true;
}

// Called under the lock.
void ScopeView::CopyIntoOwn(const std::uint32_t* pixels, int width, int height,
                            std::size_t pitchPixels) {
    const int columns = std::min(width, m_own.width());
    const int rows = std::min(height, m_own.height());
    // Format_RGB32 ignores the top byte, so the surface's 0x00RRGGBB rows copy as they are.
    uchar* to = m_own.bits();
    const auto toPitch = static_cast<std::size_t>(m_own.bytesPerLine());
    const auto rowBytes = static_cast<std::size_t>(columns) * sizeof(std::uint32_t);
    for (int y = 0; y < rows; ++y)
        std::memcpy(to + static_cast<std::size_t>(y) * toPitch,
                    pixels + static_cast<std::size_t>(y) * pitchPixels, rowBytes);
    m_front = &m_own;
}

bool ScopeView::Show(const Surface& surface) {
    if (surface.IsLost() || surface.IsLocked() || surface.Width() < m_own.width() ||
        surface.Height() < m_own.height())
        return false;
    {
        std::lock_guard guard(m_frontLock);
        m_front = &ViewOf(surface);
    }
    RequestRepaint();
    return true;
}

// Called under the lock.
const QImage& ScopeView::ViewOf(const Surface& surface) {
    const auto* pixels = reinterpret_cast<const uchar*>(surface.Pixels());
    const auto pitch = static_cast<qsizetype>(surface.PitchPixels()) * 4;
    for (const QImage& view : m_views)
        if (view.constBits() == pixels && view.bytesPerLine() == pitch) return view;
    QImage& slot = m_views[static_cast<std::size_t>(m_nextView)];
    m_nextView = 1 - m_nextView;
    // Built on const pixels, the image never writes them and never detaches to a copy.
    slot = QImage(pixels, m_own.width(), m_own.height(), pitch, QImage::Format_RGB32);
    return slot;
}

void ScopeView::Release() {
    std::lock_guard guard(m_frontLock);
    if (m_front == &m_own) return;
    const QImage& shown = *m_front;
    CopyIntoOwn(reinterpret_cast<const std::uint32_t*>(shown.constBits()), shown.width(),
                shown.height(), static_cast<std::size_t>(shown.bytesPerLine()) / 4);
    m_views = {}; // the surfaces may go: nothing of theirs is kept
}

// At most one repaint request is on its way at a time, however fast frames arrive.
void ScopeView::RequestRepaint() {
    if (m_repaintPending.exchange(true)) return;
    const bool queued = m_repaints.Push([this] {
        m_repaintPending.store(false);
        update();
    });
    if (!queued) m_repaintPending.store(false); // the next frame asks again
}

QImage ScopeView::Grab() const {
    std::lock_guard guard(m_frontLock);
    return m_front->copy();
}

bool ScopeView::SaveImage(const QString& path, const char* format) const {
    const QImage picture = Grab();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QString suffix = QFileInfo(path).suffix().toUpper();
    const QByteArray chosen = format != nullptr  ? QByteArray(format)
                              : suffix.isEmpty() ? QByteArray("PNG")
                                                 : suffix.toLatin1();
    if (!picture.save(&file, chosen.constData())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

double ScopeView::Scale() const {
    // In device pixels: the largest that fits, or the whole multiple just below it when that
    // fills nearly as much (a thin margin is worth sharp pixels).
    const qreal ratio = devicePixelRatioF();
    const double fit = std::min(width() * ratio / m_own.width(), height() * ratio / m_own.height());
    const double whole = std::floor(fit);
    return whole >= 1 && whole >= kWholeStepShare * fit ? whole : fit;
}

bool ScopeView::Sharp() const {
    const double scale = Scale();
    return scale == std::floor(scale);
}

QRect ScopeView::PictureRect() const {
    const qreal ratio = devicePixelRatioF();
    const double scale = Scale();
    const QSize size(qRound(m_own.width() * scale / ratio), qRound(m_own.height() * scale / ratio));
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

QPoint ScopeView::ToPicture(const QPoint& widgetPos) const {
    const QRect area = PictureRect();
    const double across = static_cast<double>(area.width()) / m_own.width();
    const double down = static_cast<double>(area.height()) / m_own.height();
    // The picture pixel under the widget pixel's centre.
    return QPoint(static_cast<int>(std::floor((widgetPos.x() + 0.5 - area.left()) / across)),
                  static_cast<int>(std::floor((widgetPos.y() + 0.5 - area.top()) / down)));
}

QPoint ScopeView::FromPicture(const QPoint& picturePos) const {
    const QRect area = PictureRect();
    return {
        area.left() + qRound(picturePos.x() * static_cast<double>(area.width()) / m_own.width()),
        area.top() + qRound(picturePos.y() * static_cast<double>(area.height()) / m_own.height())};
}

void ScopeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Whole multiples stay sharp blocks; any other scale is smoothed.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !Sharp());
    const QRect area = PictureRect();
    const QRegion outside = QRegion(rect()).subtracted(area);
    for (const QRect& band : outside)
        painter.fillRect(band, InstrumentColours::Backdrop);
    std::lock_guard guard(m_frontLock);
    painter.drawImage(area, *m_front);
}

void ScopeView::mousePressEvent(QMouseEvent* event) {
    emit PicturePressed(ToPicture(event->position().toPoint()), event->button());
}

void ScopeView::mouseMoveEvent(QMouseEvent* event) {
    emit PictureMoved(ToPicture(event->position().toPoint()), event->buttons());
}

void ScopeView::mouseReleaseEvent(QMouseEvent* event) {
    emit PictureReleased(ToPicture(event->position().toPoint()), event->button());
}

void ScopeView::mouseDoubleClickEvent(QMouseEvent* event) {
    emit PictureDoubleClicked(ToPicture(event->position().toPoint()), event->button());
}

void ScopeView::wheelEvent(QWheelEvent* event) {
    emit PictureWheel(ToPicture(event->position().toPoint()), event->angleDelta().y());
}

} // namespace oxbow::ui
