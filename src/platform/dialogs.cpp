#include "dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

MsgResult QtDialogs::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                MsgButtons buttons, MsgIcon icon) {
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (buttons == MsgButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}

std::optional<QString> QtDialogs::OpenFile(QWidget* owner, const QString& filter) {
    const QString path =
        QFileDialog::getOpenFileName(owner, QString(), QString(), QtFileFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtDialogs::SaveFile(QWidget* owner, const QString& filter,
                                           const QString& initialName) {
    // Overwriting is asked about by the caller, in its own words.
    const QString path =
        QFileDialog::getSaveFileName(owner, QString(), initialName, QtFileFilter(filter), nullptr,
                                     QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

// The desktop has one action per kind of address and shows its windows as it
// likes, so the verb, the owner and the show command have nothing to map to.
void QtDialogs::ShellExecute(QWidget*, const QString&, const QString& target, ShowCommand) {
    QDesktopServices::openUrl(ShellUrl(target));
}

QUrl ShellUrl(const QString& target) {
    return QUrl::fromUserInput(target);
}

QString QtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        const QString suffix = u'(' + patterns.join(u' ') + u')';
        const QString& description = parts[i];
        entries << (description.endsWith(suffix) ? description : description + u' ' + suffix);
    }
    return entries.join(QStringLiteral(";;"));
}
