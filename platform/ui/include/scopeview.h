// The scope view: shows a picture composed elsewhere (the 727 x 434 composition
// surface, or the 160 x 30 status surface). Presenting, from any thread, either copies
// the picture into the view's own buffer or, for a composer that keeps two pictures,
// makes the given surface the one the view paints from (no copy); either way under a
// small lock of the view's own, then one repaint is asked for. The picture keeps its own
// size and is scaled only as it is painted: to the largest size the widget allows, keeping
// its shape, centred on a dark background; sharp at whole multiples, smooth otherwise.
// Mouse positions are reported in picture pixels. Nothing is allocated per frame.
#pragma once

#include "surface.h"
#include "uiqueue.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <atomic>
#include <mutex>

namespace oxbow::ui {

inline constexpr int kScopePictureWidth = 727;
inline constexpr int kScopePictureHeight = 434;
inline constexpr double kWholeStepShare = 0.97;

class ScopeView : public QWidget {
    Q_OBJECT
public:
    explicit ScopeView(QWidget* parent = nullptr, int pictureWidth = kScopePictureWidth,
                       int pictureHeight = kScopePictureHeight);

    // Copies the picture's top-left corner (as much as fits) into the front buffer and
    // schedules a repaint. Safe from any thread while the view exists (stop presenting
    // before destroying it). False for a lost or locked surface, or a description
    // without 32-bit pixels or with a pitch shorter than a row.
    bool Present(const Surface& surface);
    bool Present(const DDSURFACEDESC2& picture);

    // Paints from `surface`'s own pixels from now on, without copying them. The caller
    // writes, restores or frees that surface only after the next Show, Present or Release
    // has returned (the view reads it under its lock). False, and nothing changes, for a
    // lost or locked surface or one smaller than the picture.
    bool Show(const Surface& surface);
    // The view stops reading the surface it was shown: it keeps a copy of that picture.
    void Release();

    // A copy of the picture as it was last presented or shown.
    QImage Grab() const;
    // Writes that picture to `path` through a temporary file, in `format` ("BMP",
    // "JPEG", "PNG"; null: from the suffix, PNG without one). False when it could not be
    // written (the old file stays).
    bool SaveImage(const QString& path, const char* format = nullptr) const;

    // The scale the picture is shown at, in device pixels: as large as the view allows,
    // keeping its shape; a whole multiple that fills at least kWholeStepShare of that is
    // taken instead. Whole multiples are drawn sharp (Sharp), any other scale smoothed.
    double Scale() const;
    bool Sharp() const;
    // The rectangle the picture occupies at the current size, centred.
    QRect PictureRect() const;
    // A widget position as a picture pixel (may lie outside the picture).
    QPoint ToPicture(const QPoint& widgetPos) const;
    // Where the top-left corner of a picture pixel lies in the widget.
    QPoint FromPicture(const QPoint& picturePos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Mouse actions over the view in picture pixels.
    void PicturePressed(QPoint picturePos, Qt::MouseButton button);
    void PictureMoved(QPoint picturePos, Qt::MouseButtons buttons);
    void PictureReleased(QPoint picturePos, Qt::MouseButton button);
    void PictureDoubleClicked(QPoint picturePos, Qt::MouseButton button);
    void PictureWheel(QPoint picturePos, int delta);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool CopyIn(const std::uint32_t* pixels, int width, int height, std::size_t pitchPixels);
    void CopyIntoOwn(const std::uint32_t* pixels, int width, int height, std::size_t pitchPixels);
    void RequestRepaint();
    const QImage& ViewOf(const Surface& surface);

    mutable std::mutex m_frontLock;
    QImage m_own; // Format_RGB32, allocated once: presented copies
    // Read-only views of the last two surfaces shown (a composer alternates between two),
    // kept so that showing one again allocates nothing.
    std::array<QImage, 2> m_views;
    int m_nextView = 0;             // the slot a surface not seen before replaces
    const QImage* m_front = &m_own; // what is painted: m_own or one of m_views
    std::atomic<bool> m_repaintPending{false};
    UiQueue m_repaints; // carries the repaint requests of other threads
};

} // namespace oxbow::ui
