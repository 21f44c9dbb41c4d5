#include "fancyctl.h"

#include "bkbitmap.h"
#include "instrumentstyle.h"
#include "oxgdiqt.h"

#include <QAbstractItemView>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFrame>
#include <QToolTip>
#include <QWindow>

#include <algorithm>
#include <bit>
#include <utility>

using oxbow::ui::InstrumentColours;

namespace {

int Shade(int component, int offset) {
    return std::clamp(component + offset, 0, 255);
}

} // namespace

// ---- CCommonDlg ----------------------------------------------------------------------

CCommonDlg::CCommonDlg(int templateId, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_templateId(templateId) {
    setContentsMargins(8, kTitleHeight + 6, 8, 8);
    setAutoFillBackground(false);
}

void CCommonDlg::SetFile(int bitmapId) {
    m_bitmapId = bitmapId;
    update();
}

void CCommonDlg::SetTitleButtons(unsigned buttons) {
    m_titleButtons = buttons;
    update();
}

// Right to left: Close, Maximize/Restore, Minimize, each a square of the title band.
QRect CCommonDlg::TitleButtonRect(TitleButton button) const {
    if ((m_titleButtons & button) == 0) return {};
    int slot = 0;
    for (const TitleButton each : {kCloseButton, kMaximizeButton, kMinimizeButton}) {
        if (each == button) break;
        if ((m_titleButtons & each) != 0) ++slot;
    }
    return QRect(width() - (slot + 1) * kTitleHeight, 0, kTitleHeight, kTitleHeight);
}

QString CCommonDlg::TitleButtonTip(TitleButton button) const {
    switch (button) {
    case kMinimizeButton:
        return "Minimize";
    case kMaximizeButton:
        return ShowsRestore() ? "Restore" : "Maximize";
    case kCloseButton:
        return "Close";
    default:
        return {};
    }
}

CCommonDlg::TitleButton CCommonDlg::TitleButtonAt(const QPoint& point) const {
    if (m_bitmapId != 0) return kNoTitleButton; // a bitmap skin draws no title band
    for (const TitleButton each : {kCloseButton, kMaximizeButton, kMinimizeButton})
        if (TitleButtonRect(each).contains(point)) return each;
    return kNoTitleButton;
}

void CCommonDlg::OnMaximizeButton() {
    if (ShowsRestore())
        showNormal();
    else
        showMaximized();
}

void CCommonDlg::PressTitleButton(TitleButton button) {
    switch (button) {
    case kMinimizeButton:
        OnMinimizeButton();
        break;
    case kMaximizeButton:
        OnMaximizeButton();
        break;
    case kCloseButton:
        reject();
        break;
    default:
        break;
    }
}

bool CCommonDlg::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = TitleButtonTip(TitleButtonAt(help->pos()));
        if (!tip.isEmpty()) {
            QToolTip::showText(help->globalPos(), tip, this);
            return true;
        }
    }
    return QDialog::event(event);
}

void CCommonDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) update(); // Maximize <-> Restore
    QDialog::changeEvent(event);
}

void CCommonDlg::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CCommonDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_bitmapId == 0 || !LoadBkBitmap(painter, m_bitmapId, 0, 0)) PaintSkin(painter);
}

void CCommonDlg::PaintSkin(QPainter& painter) {
    using C = InstrumentColours;
    painter.fillRect(rect(), C::Panel);
    QLinearGradient band(0, 0, 0, kTitleHeight);
    band.setColorAt(0, C::PanelLight.lighter(115));
    band.setColorAt(1, C::PanelLight.darker(115));
    painter.fillRect(QRect(0, 0, width(), kTitleHeight), band);
    painter.setPen(C::Accent);
    painter.drawLine(0, kTitleHeight, width(), kTitleHeight);
    painter.setPen(C::PanelDark);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    QFont title = font();
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(C::Text);
    const int buttons = std::popcount(m_titleButtons);
    painter.drawText(QRect(10, 0, width() - 10 - buttons * kTitleHeight, kTitleHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, windowTitle());
    PaintTitleButtons(painter);
}

void CCommonDlg::PaintTitleButtons(QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(InstrumentColours::Text, 1.6));
    painter.setBrush(Qt::NoBrush);
    if (const QRect close = CloseMarkRect(); !close.isEmpty()) {
        const QRect mark = close.adjusted(8, 8, -8, -8);
        painter.drawLine(mark.topLeft(), mark.bottomRight());
        painter.drawLine(mark.topRight(), mark.bottomLeft());
    }
    if (const QRect maximize = TitleButtonRect(kMaximizeButton); !maximize.isEmpty()) {
        const QRect mark = maximize.adjusted(7, 7, -8, -8);
        if (ShowsRestore()) { // two overlapping windows
            painter.drawRect(mark.adjusted(3, 0, 0, -3));
            painter.drawRect(mark.adjusted(0, 3, -3, 0));
        } else {
            painter.drawRect(mark);
        }
    }
    if (const QRect minimize = TitleButtonRect(kMinimizeButton); !minimize.isEmpty()) {
        const QRect mark = minimize.adjusted(7, 7, -8, -8);
        painter.drawLine(mark.bottomLeft(), mark.bottomRight());
    }
    painter.restore();
}

void CCommonDlg::SetResizable(bool resizable) {
    m_resizable = resizable;
    setMouseTracking(resizable); // the pointer's shape over the edges
}

Qt::Edges CCommonDlg::ResizeEdgesAt(const QPoint& point) const {
    Qt::Edges edges;
    if (!m_resizable || isFullScreen() || isMaximized() || !rect().contains(point)) return edges;
    if (point.x() < kResizeBorder) edges |= Qt::LeftEdge;
    if (point.x() >= width() - kResizeBorder) edges |= Qt::RightEdge;
    if (point.y() < kResizeBorder) edges |= Qt::TopEdge;
    if (point.y() >= height() - kResizeBorder) edges |= Qt::BottomEdge;
    return edges;
}

namespace {

Qt::CursorShape ResizeCursor(Qt::Edges edges) {
    const bool left = edges & Qt::LeftEdge, right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge, bottom = edges & Qt::BottomEdge;
    if ((left && top) || (right && bottom)) return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom)) return Qt::SizeBDiagCursor;
    if (left || right) return Qt::SizeHorCursor;
    return Qt::SizeVerCursor;
}

// `from` with the given edges moved by `by`, never below `minimum`; the opposite edges stay.
QRect Resized(const QRect& from, Qt::Edges edges, const QPoint& by, const QSize& minimum) {
    QRect to = from;
    if (edges & Qt::LeftEdge)
        to.setLeft(std::min(from.left() + by.x(), from.right() + 1 - minimum.width()));
    if (edges & Qt::RightEdge)
        to.setRight(std::max(from.right() + by.x(), from.left() + minimum.width() - 1));
    if (edges & Qt::TopEdge)
        to.setTop(std::min(from.top() + by.y(), from.bottom() + 1 - minimum.height()));
    if (edges & Qt::BottomEdge)
        to.setBottom(std::max(from.bottom() + by.y(), from.top() + minimum.height() - 1));
    return to;
}

} // namespace

void CCommonDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    m_pressedButton = TitleButtonAt(event->position().toPoint());
    if (m_pressedButton != kNoTitleButton) return;
    const Qt::Edges edges = ResizeEdgesAt(event->position().toPoint());
    if (edges) {
        if (windowHandle() != nullptr && windowHandle()->startSystemResize(edges)) return;
        m_resizing = edges;
        m_resizeFrom = event->globalPosition().toPoint();
        m_resizeGeometry = geometry();
        return;
    }
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CCommonDlg::mouseMoveEvent(QMouseEvent* event) {
    const bool held = event->buttons() & Qt::LeftButton;
    if (m_resizing && held) {
        const QSize minimum = minimumSize().expandedTo(minimumSizeHint());
        setGeometry(Resized(m_resizeGeometry, m_resizing,
                            event->globalPosition().toPoint() - m_resizeFrom, minimum));
    } else if (m_dragging && held) {
        move(event->globalPosition().toPoint() - m_dragOffset);
    } else if (m_resizable && !held) {
        const Qt::Edges edges = ResizeEdgesAt(event->position().toPoint());
        if (edges)
            setCursor(ResizeCursor(edges));
        else
            unsetCursor();
    }
}

void CCommonDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
        m_resizing = {};
        const TitleButton pressed = std::exchange(m_pressedButton, kNoTitleButton);
        if (pressed != kNoTitleButton && pressed == TitleButtonAt(event->position().toPoint())) {
            PressTitleButton(pressed);
            return;
        }
    }
    QDialog::mouseReleaseEvent(event);
}

// ---- CButtonST -----------------------------------------------------------------------

CButtonST::CButtonST(QWidget* parent) : QPushButton(parent) {
    Init();
}

CButtonST::CButtonST(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    Init();
}

void CButtonST::Init() {
    using C = InstrumentColours;
    m_colours[BTNST_COLOR_BK_IN] = C::PanelLight.lighter(125);
    m_colours[BTNST_COLOR_FG_IN] = C::Text;
    m_colours[BTNST_COLOR_BK_OUT] = C::PanelLight;
    m_colours[BTNST_COLOR_FG_OUT] = C::Text;
    m_colours[BTNST_COLOR_BK_FOCUS] = C::PanelLight;
    m_colours[BTNST_COLOR_FG_FOCUS] = C::Text;
    setAttribute(Qt::WA_Hover);
    connect(this, &QPushButton::clicked, this, [this] {
        if (m_type != BTNST_MENU) SendToParent(m_wParam);
    });
}

void CButtonST::SetBitmaps(int in, int out) {
    m_bitmapIn = LoadBitmapResource(in);
    m_bitmapOut = out != 0 ? LoadBitmapResource(out) : m_bitmapIn;
    update();
}

void CButtonST::SetIcon(const QIcon& in, const QIcon& out) {
    m_iconIn = in;
    m_iconOut = out.isNull() ? in : out;
    update();
}

void CButtonST::SetColor(ColorRole role, const QColor& colour, bool repaint) {
    if (role < 0 || role >= BTNST_MAX_COLORS) return;
    m_colours[role] = colour;
    if (repaint) update();
}

void CButtonST::OffsetColor(ColorRole role, int offset, bool repaint) {
    if (role < 0 || role >= BTNST_MAX_COLORS) return;
    const QColor base = m_colours[role];
    SetColor(
        role,
        QColor(Shade(base.red(), offset), Shade(base.green(), offset), Shade(base.blue(), offset)),
        repaint);
}

void CButtonST::SetForeTextColor(const QColor& colour) {
    m_colours[BTNST_COLOR_FG_IN] = m_colours[BTNST_COLOR_FG_OUT] = m_colours[BTNST_COLOR_FG_FOCUS] =
        colour;
    update();
}

void CButtonST::DrawBorder(bool draw) {
    m_border = draw;
    update();
}

void CButtonST::SetTooltipText(const QString& text) {
    setToolTip(text);
}

void CButtonST::SetBtnType(BtnType type) {
    m_type = type;
    setCheckable(type == BTNST_CHECK);
}

void CButtonST::SetMenu(const QStringList& items) {
    SetMenuNum(0);
    SetMenuNum(static_cast<int>(items.size()));
    const QList<QAction*> actions = m_menu->actions();
    for (int i = 0; i < items.size(); ++i)
        actions[i]->setText(items[i]);
}

void CButtonST::SetMenuNum(int count) {
    if (m_menu == nullptr) {
        m_menu = new BCMenu(this);
        connect(m_menu, &QMenu::triggered, this, [this](QAction* action) {
            const int id = action->data().toInt();
            emit MenuItemChosen(id);
            SendToParent(static_cast<WPARAM>(id));
        });
    }
    count = std::max(count, 0);
    QList<QAction*> actions = m_menu->actions();
    for (int i = count; i < actions.size(); ++i)
        delete actions[i];
    for (auto i = static_cast<int>(actions.size()); i < count; ++i) {
        QAction* item = m_menu->addAction(QString::number(i + 1));
        item->setCheckable(true);
        item->setData(i);
    }
    m_menuIds.resize(static_cast<std::size_t>(count));
    update();
}

void CButtonST::SetMenuItemID(int index, int id) {
    if (m_menu == nullptr || index < 0 || index >= m_menu->actions().size()) return;
    m_menu->actions()[index]->setData(id);
}

void CButtonST::SetMenuItemCheck(int index, bool checked) {
    if (m_menu == nullptr || index < 0 || index >= m_menu->actions().size()) return;
    m_menu->actions()[index]->setChecked(checked);
}

bool CButtonST::MenuItemChecked(int index) const {
    return m_menu != nullptr && index >= 0 && index < m_menu->actions().size() &&
           m_menu->actions()[index]->isChecked();
}

void CButtonST::SetMessageID(UINT message, WPARAM wParam, LPARAM lParam) {
    m_message = message;
    m_wParam = wParam;
    m_lParam = lParam;
}

void CButtonST::SendToParent(WPARAM wParam) {
    if (m_message != 0) CWnd::SendMessageTo(m_parentWnd, m_message, wParam, m_lParam);
}

void CButtonST::OpenMenu() {
    if (m_menu == nullptr || m_menu->isEmpty()) return;
    setDown(false);
    m_menu->popup(mapToGlobal(QPoint(0, height())));
}

QColor CButtonST::BackColour() const {
    if (underMouse()) return m_colours[BTNST_COLOR_BK_IN];
    return hasFocus() ? m_colours[BTNST_COLOR_BK_FOCUS] : m_colours[BTNST_COLOR_BK_OUT];
}

QColor CButtonST::ForeColour() const {
    if (!isEnabled()) return InstrumentColours::DimText;
    if (underMouse()) return m_colours[BTNST_COLOR_FG_IN];
    return hasFocus() ? m_colours[BTNST_COLOR_FG_FOCUS] : m_colours[BTNST_COLOR_FG_OUT];
}

void CButtonST::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool sunken = isDown() || isChecked();
    const QRect box = rect();
    QColor back = BackColour();
    if (sunken) back = back.darker(130);
    painter.fillRect(box, back);
    if (m_border) {
        const QColor light = back.lighter(150);
        const QColor dark = back.darker(170);
        painter.setPen(sunken ? dark : light);
        painter.drawLine(box.topLeft(), box.topRight());
        painter.drawLine(box.topLeft(), box.bottomLeft());
        painter.setPen(sunken ? light : dark);
        painter.drawLine(box.bottomLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomRight());
    }
    QRect content = box.adjusted(3, 2, -3, -2);
    if (sunken) content.translate(1, 1);
    if (m_menu != nullptr && !m_menu->isEmpty()) {
        // A small arrow at the right tells that the button drops a menu down.
        const int x = content.right() - 4;
        const int y = content.center().y();
        QPainterPath arrow;
        arrow.moveTo(x - 4, y - 2);
        arrow.lineTo(x + 4, y - 2);
        arrow.lineTo(x, y + 2);
        arrow.closeSubpath();
        painter.fillPath(arrow, ForeColour());
        content.setRight(content.right() - 12);
    }
    const QImage& bitmap = underMouse() ? m_bitmapIn : m_bitmapOut;
    const QIcon& icon = underMouse() ? m_iconIn : m_iconOut;
    if (!bitmap.isNull()) {
        const QRect at = QRect(QPoint(), bitmap.size());
        painter.drawImage(
            text().isEmpty()
                ? QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, at.size(), content)
                : at.translated(content.left(), content.center().y() - at.height() / 2),
            bitmap);
        if (!text().isEmpty()) content.setLeft(content.left() + bitmap.width() + 4);
    } else if (!icon.isNull()) {
        const QSize size = iconSize();
        const QRect at =
            text().isEmpty()
                ? QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, size, content)
                : QRect(QPoint(content.left(), content.center().y() - size.height() / 2), size);
        icon.paint(&painter, at, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        if (!text().isEmpty()) content.setLeft(content.left() + size.width() + 4);
    }
    painter.setFont(font());
    painter.setPen(ForeColour());
    painter.drawText(content, Qt::AlignCenter, text());
    if (hasFocus()) {
        painter.setPen(QPen(InstrumentColours::Accent, 1, Qt::DotLine));
        painter.drawRect(box.adjusted(2, 2, -3, -3));
    }
}

void CButtonST::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton &&
        (m_type == BTNST_MENU || (!m_menuRect.isEmpty() && m_menuRect.contains(at)))) {
        OpenMenu();
        return;
    }
    m_dragged = false;
    m_dragStart = at;
    QPushButton::mousePressEvent(event);
}

void CButtonST::mouseMoveEvent(QMouseEvent* event) {
    if (m_moveable && (event->buttons() & Qt::LeftButton)) {
        const QPoint shift = event->position().toPoint() - m_dragStart;
        if (m_dragged || shift.manhattanLength() > 3) {
            m_dragged = true;
            move(pos() + shift);
            return;
        }
    }
    QPushButton::mouseMoveEvent(event);
}

void CButtonST::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragged) {
        // A drag moves the button; it is not a press.
        m_dragged = false;
        setDown(false);
        return;
    }
    QPushButton::mouseReleaseEvent(event);
}

// ---- CColorEdit ----------------------------------------------------------------------

CColorEdit::CColorEdit(QWidget* parent) : QLineEdit(parent) {
    SetForeColor(InstrumentColours::Text);
    SetBackColor(InstrumentColours::PanelDark);
}

void CColorEdit::SetForeColor(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::Text, colour);
    setPalette(colours);
}

void CColorEdit::SetBackColor(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colour);
    setPalette(colours);
}

void CColorEdit::SetBitmap(int bitmapId) {
    m_bitmap = LoadBitmapResource(bitmapId);
    update();
}

void CColorEdit::paintEvent(QPaintEvent* event) {
    if (m_bitmap.isNull()) {
        QLineEdit::paintEvent(event);
        return;
    }
    {
        QPainter painter(this);
        painter.drawImage(rect(), m_bitmap);
    }
    // The edit draws its text over the bitmap with a see-through base.
    QPalette colours = palette();
    const QPalette kept = colours;
    colours.setColor(QPalette::Base, Qt::transparent);
    setPalette(colours);
    QLineEdit::paintEvent(event);
    setPalette(kept);
}

// ---- CBitmapComboBox -----------------------------------------------------------------

CBitmapComboBox::CBitmapComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, &CBitmapComboBox::ShowCurrentColour);
}

// The closed box shows the chosen item in that item's colour.
void CBitmapComboBox::ShowCurrentColour() {
    const QVariant colour = itemData(currentIndex(), Qt::ForegroundRole);
    const QColor text = colour.isValid() ? colour.value<QColor>() : InstrumentColours::Text;
    QPalette colours = palette();
    colours.setColor(QPalette::ButtonText, text);
    colours.setColor(QPalette::Text, text);
    setPalette(colours);
}

int CBitmapComboBox::AddCTString(const QColor& colour, const QString& text) {
    const int index = count();
    addItem(text);
    setItemData(index, colour, Qt::ForegroundRole);
    ShowCurrentColour();
    return index;
}

void CBitmapComboBox::SetWidth(int width) {
    view()->setMinimumWidth(width);
}

// ---- BCMenu --------------------------------------------------------------------------

QAction* BCMenu::AppendItem(const QString& text, int id, int bitmapId) {
    QAction* item = addAction(text);
    item->setData(id);
    if (bitmapId != 0) {
        const QImage bitmap = LoadBitmapResource(bitmapId);
        if (!bitmap.isNull()) item->setIcon(QIcon(QPixmap::fromImage(bitmap)));
    }
    return item;
}

BCMenu* BCMenu::AppendSubMenu(const QString& title) {
    auto* sub = new BCMenu(title, this);
    addMenu(sub);
    return sub;
}

QMenu* BCMenu::GetSubMenu(int position) const {
    const QList<QAction*> entries = actions();
    if (position < 0 || position >= entries.size()) return nullptr;
    return entries[position]->menu();
}
