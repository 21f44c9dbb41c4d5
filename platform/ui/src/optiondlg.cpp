#include "entrydialogs.h"

#include "fancyctl.h"
#include "instrumentstyle.h"
#include "oxcommon.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

using oxbow::ui::InstrumentColours;

namespace {

double PrefixFactor(const QString& prefix) {
    if (prefix.isEmpty()) return 1.0;
    switch (prefix.at(0).unicode()) {
    case 'f':
        return 1e-15;
    case 'p':
        return 1e-12;
    case 'n':
        return 1e-9;
    case 'u':
    case 0x00b5: // micro sign
    case 0x03bc: // Greek mu
        return 1e-6;
    case 'm':
        return 1e-3;
    case 'k':
    case 'K':
        return 1e3;
    case 'M':
        return 1e6;
    case 'G':
        return 1e9;
    default: // 'T'
        return 1e12;
    }
}

QString Refusal(const QString& text) {
    return QStringLiteral("\"%1\" is not a number. Enter a value such as 2.5m, 500u or 1k.")
        .arg(text);
}

// The entry dialog: the value field, a line for the reason a text was refused, OK and Cancel.
class OptionDlg final : public CCommonDlg {
public:
    OptionDlg(double current, int digits, int decimals, int finest, const QString& title,
              const EntryStep& step, QWidget* parent)
        : CCommonDlg(0, parent), m_digits(digits), m_decimals(decimals), m_finest(finest),
          m_step(step ? step : DigitStep(finest)) {
        setWindowTitle(title);
        m_field = new QLineEdit(this);
        Show(current);
        m_field->installEventFilter(this);
        m_reason = new QLabel(this);
        m_reason->setWordWrap(true);
        QPalette warning = m_reason->palette();
        warning.setColor(QPalette::WindowText, InstrumentColours::Yellow);
        m_reason->setPalette(warning);
        m_reason->hide();
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &OptionDlg::Confirm);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_field);
        layout->addWidget(m_reason);
        layout->addWidget(buttons);
        setMinimumWidth(260);
    }

    double Value() const { return m_value; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_field && event->type() == QEvent::Wheel) {
            const auto* wheel = static_cast<QWheelEvent*>(event);
            const int delta = wheel->angleDelta().y();
            if (delta != 0) Step(delta > 0, wheel->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        if (watched == m_field && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool shift = key->modifiers().testFlag(Qt::ShiftModifier);
            switch (key->key()) {
            case Qt::Key_Up:
                return Step(true, shift);
            case Qt::Key_Down:
                return Step(false, shift);
            case Qt::Key_PageUp:
                return Step(true, true);
            case Qt::Key_PageDown:
                return Step(false, true);
            default:
                break;
            }
        }
        return CCommonDlg::eventFilter(watched, event);
    }

private:
    static EntryStep DigitStep(int finest) {
        const int stepFinest = finest < 0 ? finest : kDefaultStepFinest;
        return [stepFinest](double value, bool up, bool coarse) {
            return StepIndouble(value, stepFinest, up, 1, coarse ? -1 : -2);
        };
    }

    // The value as the read-outs print it; one they cannot print (far beyond the prefixes)
    // as a plain number, so that OK takes it back unchanged; nothing for one that is no
    // number at all.
    void Show(double value) {
        std::string printed;
        GetValidDataStr(printed, value, m_digits, m_decimals, m_finest);
        QString text = QString::fromStdString(printed);
        if (!ParseEngineeringValue(text))
            text = std::isfinite(value) ? QString::number(value, 'g', m_digits) : QString();
        m_field->setText(text);
        m_field->selectAll();
    }

    // Steps the typed value; a text that is no number is left for the user to mend.
    bool Step(bool up, bool coarse) {
        const std::optional<double> typed = ParseEngineeringValue(m_field->text());
        if (typed) Show(m_step(*typed, up, coarse));
        return true;
    }

    void Confirm() {
        QString error;
        const std::optional<double> value = ParseEngineeringValue(m_field->text(), &error);
        if (!value) {
            m_reason->setText(error);
            m_reason->show();
            adjustSize(); // the reason's wrapped lines, whole
            m_field->setFocus();
            m_field->selectAll();
            return;
        }
        m_value = GetValidData(*value, m_digits, m_finest);
        accept();
    }

    // Finest exponent of the default step when the entry has no grid of its own.
    static constexpr int kDefaultStepFinest = -3;

    int m_digits;
    int m_decimals;
    int m_finest;
    EntryStep m_step;
    double m_value = 0.0;
    QLineEdit* m_field;
    QLabel* m_reason;
};

} // namespace

std::optional<double> ParseEngineeringValue(const QString& text, QString* error) {
    static const QRegularExpression pattern(
        QStringLiteral("^([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)\\s*"
                       "([fpnu\\x{00b5}\\x{03bc}mkKMGT]?)(?:s|V|Hz|A|W)?$"));
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        if (error) *error = QStringLiteral("Enter a value.");
        return std::nullopt;
    }
    const QRegularExpressionMatch match = pattern.match(trimmed);
    if (!match.hasMatch()) {
        if (error) *error = Refusal(trimmed);
        return std::nullopt;
    }
    bool ok = false;
    const double number = match.captured(1).toDouble(&ok);
    const double value = number * PrefixFactor(match.captured(2));
    if (!ok || !std::isfinite(value)) {
        if (error) *error = QStringLiteral("\"%1\" is too large.").arg(trimmed);
        return std::nullopt;
    }
    return value;
}

bool ShowOptionDlg(double& value, double current, int digits, int decimals, int finest,
                   const QString& title, QWidget* parent, const EntryStep& step) {
    OptionDlg dialog(current, digits, decimals, finest, title, step, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    value = dialog.Value();
    return true;
}
