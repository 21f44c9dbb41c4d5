#include "valuefield.h"

#include "entrydialogs.h"
#include "instrumentstyle.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace oxapp {
namespace {

using oxbow::ui::InstrumentColours;

// Notches further apart than this start a new gesture (and fill the undo slot again).
constexpr int kGestureGapMs = 600;
// One notch of a standard mouse wheel.
constexpr int kNotchAngle = 120;

void SetColour(QLabel& label, const QColor& colour) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
}

QLabel* Label(const QColor& colour, int pixelSize, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFont(oxbow::ui::ReadoutFont(pixelSize));
    SetColour(*label, colour);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

ValueField::ValueField(const oxfield::FieldRow& row, const QColor& colour, Host& host,
                       QWidget* parent)
    : QFrame(parent), row_(row), host_(host), colour_(colour) {
    setObjectName(QString::fromUtf8(row.objectName));
    setToolTip(QString::fromUtf8(row.tip) +
               " (click or Enter to type a value; wheel to step, Shift for coarse)");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, InstrumentColours::PanelDark);
    setPalette(palette);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    caption_ = Label(InstrumentColours::DimText, 10, this);
    value_ = Label(colour, 14, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(0);
    layout->addWidget(caption_);
    layout->addWidget(value_);
    setMinimumWidth(112);
}

QString ValueField::Text() const {
    return value_->text();
}

void ValueField::Refresh(const oxacq::RecordView& view) {
    const bool applies = row_.applies == nullptr || row_.applies(view.setup);
    const QString caption = QString::fromUtf8(row_.caption(view.setup));
    // A field that does not apply now shows no number.
    const QString text = applies ? QString::fromStdString(row_.text(view.setup)) : "—";
    if (caption_->text() != caption) caption_->setText(caption);
    if (value_->text() != text) value_->setText(text);
    if (applies == isEnabled()) return;
    setEnabled(applies);
    SetColour(*value_, applies ? colour_ : InstrumentColours::DimText);
}

void ValueField::Enter() {
    const oxacq::RecordView& before = host_.FreshView();
    const double current = row_.value(before.setup);
    // A field refused in this state says so before anything is typed.
    const oxact::Plan check = oxfield::EntryPlan(row_, before.setup, current, false);
    if (check.refusal != nullptr) {
        host_.Carry(check);
        return;
    }
    const oxfield::EntrySettings& entry = row_.entry;
    double value = current;
    const auto step = [this](double from, bool up, bool coarse) {
        const oxacq::RecordView& view = host_.FreshView();
        return row_.step(view.setup, view.region, from, {up, coarse});
    };
    if (!ShowOptionDlg(value, current, entry.digits, entry.decimals, entry.finest,
                       QString::fromUtf8(row_.caption(before.setup)), this, step))
        return;
    host_.Carry(oxfield::EntryPlan(row_, host_.FreshView().setup, value, true));
}

void ValueField::Step(oxfield::Notch notch) {
    const oxacq::RecordView& view = host_.FreshView();
    const bool continuing = sinceNotch_.isValid() && sinceNotch_.elapsed() < kGestureGapMs;
    const double from = continuing ? posted_ : row_.value(view.setup);
    const double value = row_.step(view.setup, view.region, from, notch);
    const oxact::Plan plan = oxfield::EntryPlan(row_, view.setup, value, !continuing);
    host_.Carry(plan);
    if (plan.refusal != nullptr) {
        sinceNotch_.invalidate();
        return;
    }
    sinceNotch_.start();
    posted_ = value;
}

void ValueField::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        Enter();
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

void ValueField::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Enter();
        break;
    case Qt::Key_Up:
        Step({true, shift});
        break;
    case Qt::Key_Down:
        Step({false, shift});
        break;
    default:
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ValueField::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    // The pen straddles the rectangle's edges: a rectangle half a pen inside the field puts
    // the whole frame on the field's outer pixels.
    const double half = kFocusFrame / 2.0;
    painter.setPen(QPen(InstrumentColours::Accent, kFocusFrame));
    painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
}

void ValueField::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    update();
}

void ValueField::focusOutEvent(QFocusEvent* event) {
    QFrame::focusOutEvent(event);
    update();
}

void ValueField::wheelEvent(QWheelEvent* event) {
    const bool coarse = event->modifiers().testFlag(Qt::ShiftModifier);
    // Some systems turn Shift+wheel into a sideways roll.
    const QPoint angle = event->angleDelta();
    wheelRest_ += angle.y() != 0 ? angle.y() : angle.x();
    while (wheelRest_ >= kNotchAngle) {
        wheelRest_ -= kNotchAngle;
        Step({true, coarse});
    }
    while (wheelRest_ <= -kNotchAngle) {
        wheelRest_ += kNotchAngle;
        Step({false, coarse});
    }
    event->accept();
}

} // namespace oxapp
