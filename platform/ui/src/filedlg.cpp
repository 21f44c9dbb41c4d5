#include "entrydialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// "Name(*.ext)" with its pattern "*.a;*.b" as "Name (*.a *.b)".
QString QtFilterEntry(QString description, const QString& patterns) {
    static const QRegularExpression bracketed(QStringLiteral("\\s*\\([^)]*\\)\\s*$"));
    description.remove(bracketed);
    QStringList globs = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& glob : globs)
        glob = glob.trimmed();
    globs.removeAll(QString());
    if (globs.isEmpty()) globs << QStringLiteral("*");
    return QStringLiteral("%1 (%2)").arg(description.trimmed(), globs.join(QLatin1Char(' ')));
}

// The extension of a filter entry's first pattern ("*.wfm" -> "wfm"); empty for "*".
QString DefaultSuffix(const QString& qtFilter) {
    static const QRegularExpression firstExtension(QStringLiteral("\\(\\*\\.([A-Za-z0-9_]+)"));
    return firstExtension.match(qtFilter).captured(1);
}

} // namespace

QString ConvertFileFilter(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.last().trimmed().isEmpty())
        parts.removeLast();
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString& description = parts[i];
        if (i + 1 < parts.size()) {
            entries << QtFilterEntry(description, parts[i + 1]);
            continue;
        }
        // A description without its pattern: use the pattern it shows, or every file.
        static const QRegularExpression shown(QStringLiteral("\\(([^)]*)\\)\\s*$"));
        entries << QtFilterEntry(description, shown.match(description).captured(1));
    }
    return entries.join(QStringLiteral(";;"));
}

bool ShowFileDlg(QString& path, const QString& buttonText, const QString& title,
                 const QString& filter, QWidget* parent) {
    QFileDialog dialog(parent, title);
    const QFileInfo start(path);
    if (start.isDir())
        dialog.setDirectory(start.absoluteFilePath());
    else if (!path.isEmpty()) {
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    const QString filters = ConvertFileFilter(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters.split(QStringLiteral(";;")));
    const bool saving =
        buttonText.trimmed().startsWith(QStringLiteral("Save"), Qt::CaseInsensitive);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (saving) {
        dialog.setDefaultSuffix(DefaultSuffix(dialog.selectedNameFilter()));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& chosen) { dialog.setDefaultSuffix(DefaultSuffix(chosen)); });
    }
    if (!buttonText.isEmpty()) dialog.setLabelText(QFileDialog::Accept, buttonText);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = dialog.selectedFiles().constFirst();
    return true;
}
