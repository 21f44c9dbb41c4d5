#include "instrumentstyle.h"

#include <QApplication>
#include <QStyleFactory>

namespace oxbow::ui {

QPalette InstrumentPalette() {
    using C = InstrumentColours;
    QPalette palette;
    palette.setColor(QPalette::Window, C::Panel);
    palette.setColor(QPalette::WindowText, C::Text);
    palette.setColor(QPalette::Base, C::PanelDark);
    palette.setColor(QPalette::AlternateBase, C::Panel);
    palette.setColor(QPalette::Text, C::Text);
    palette.setColor(QPalette::Button, C::PanelLight);
    palette.setColor(QPalette::ButtonText, C::Text);
    palette.setColor(QPalette::BrightText, C::Red);
    palette.setColor(QPalette::Highlight, C::Accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, C::PanelDark);
    palette.setColor(QPalette::ToolTipText, C::Text);
    palette.setColor(QPalette::PlaceholderText, C::DimText);
    palette.setColor(QPalette::Light, C::PanelLight.lighter(130));
    palette.setColor(QPalette::Midlight, C::PanelLight);
    palette.setColor(QPalette::Mid, C::Panel);
    palette.setColor(QPalette::Dark, C::PanelDark);
    palette.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, C::DimText);
    return palette;
}

QFont ReadoutFont(int pixelSize) {
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

void ApplyInstrumentStyle(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    app.setPalette(InstrumentPalette());
}

} // namespace oxbow::ui
