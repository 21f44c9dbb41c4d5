// The instrument look: a dark panel with light text, and the few colours the read-outs
// use. ApplyInstrumentStyle sets it application-wide.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QApplication;

namespace oxbow::ui {

struct InstrumentColours {
    static inline const QColor Backdrop{0x10, 0x12, 0x16};   // around the scope picture
    static inline const QColor Panel{0x26, 0x2a, 0x31};      // window and dialog body
    static inline const QColor PanelLight{0x3a, 0x40, 0x4a}; // raised edges, buttons
    static inline const QColor PanelDark{0x17, 0x1a, 0x1f};  // sunken fields
    static inline const QColor Text{0xe4, 0xe7, 0xeb};
    static inline const QColor DimText{0x8c, 0x93, 0x9d};
    static inline const QColor Accent{0x3d, 0x8b, 0xd9}; // focus, selection
    static inline const QColor Red{255, 0, 0};
    static inline const QColor Green{0, 255, 0};
    static inline const QColor Yellow{255, 255, 0};
    static inline const QColor Black{0, 0, 0};
};

QPalette InstrumentPalette();
// The read-out font: a fixed-pitch bold face of the given pixel size.
QFont ReadoutFont(int pixelSize);
// Fusion style with the instrument palette, for the whole application.
void ApplyInstrumentStyle(QApplication& app);

} // namespace oxbow::ui
