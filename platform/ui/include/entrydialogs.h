// The numeric entry dialog and the file-name dialog.
#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// A typed number: a decimal (exponent allowed) followed by an optional engineering
// prefix (f p n u m k K M G T; "µ" for u) and an optional unit (s, V, Hz, A, W):
// "2.5m" is 0.0025, "500u" 0.0005, "1k" 1000, "20 ms" 0.02. Anything else, and a value
// too large to hold, is refused with a message saying why.
std::optional<double> ParseEngineeringValue(const QString& text, QString* error = nullptr);

// How the entry steps the typed value for a wheel notch or an arrow key (coarse: Shift
// held, or Page Up/Down). Empty: by the third significant digit, the second when coarse.
using EntryStep = std::function<double(double value, bool up, bool coarse)>;

// Shows a modal entry dialog titled `title`, the current value printed with the given
// significant digits, decimals (-1: automatic) and finest exponent. True when the user
// confirmed a number, which is then in `value`, rounded to those digits and that
// finest step. A refused text keeps the dialog open with the reason shown. The mouse
// wheel over the value and the Up/Down keys step it with `step`.
bool ShowOptionDlg(double& value, double current, int digits, int decimals, int finest,
                   const QString& title, QWidget* parent = nullptr, const EntryStep& step = {});

// A "Name(*.ext)|*.ext|Other(*.a;*.b)|*.a;*.b" filter as Qt file-dialog filters
// ("Name (*.ext);;Other (*.a *.b)").
QString ConvertFileFilter(const QString& filter);

// Shows a modal file-name dialog. `path` comes in holding the remembered folder (or a
// file in it) and goes out holding the chosen file. A button text starting with "Save"
// asks for a file to write (the filter's extension added when none is typed; replacing
// an existing file is the caller's question), anything else for an existing file.
bool ShowFileDlg(QString& path, const QString& buttonText, const QString& title,
                 const QString& filter, QWidget* parent = nullptr);
