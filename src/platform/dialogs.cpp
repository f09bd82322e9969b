#include "dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QStringList>
#include <QUrl>

namespace {

// Icons and types by file names alone. Qt would guess them from the contents
// too, reading every file a folder lists, and some files (/proc/kmsg) make a
// reader wait until something is written.
class NameIconProvider final : public QFileIconProvider {
public:
    using QFileIconProvider::icon;

    QIcon icon(const QFileInfo& info) const override {
        if (info.isDir())
            return icon(Folder);
        const QIcon file = icon(File);
        if (!info.isFile())
            return file;
        const QMimeType mime = MimeType(info);
        return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), file));
    }

    // What is not a file (a folder, a FIFO) Qt names by its kind alone.
    QString type(const QFileInfo& info) const override {
        if (!info.isFile())
            return QFileIconProvider::type(info);
        const QMimeType mime = MimeType(info);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

private:
    QMimeType MimeType(const QFileInfo& info) const {
        return mimes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }

    QMimeDatabase mimes_;
};

} // namespace

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
    return ChooseFile(owner, filter, false, QString());
}

std::optional<QString> QtDialogs::SaveFile(QWidget* owner, const QString& filter,
                                           const QString& initialName) {
    return ChooseFile(owner, filter, true, initialName);
}

// Qt's dialog rather than the desktop's, which would choose icons its own way.
// The provider outlives the dialog, whose model may ask it until it goes.
std::optional<QString> QtDialogs::ChooseFile(QWidget* owner, const QString& filter, bool save,
                                             const QString& initialName) {
    NameIconProvider icons;
    QFileDialog dialog(owner, QString(), folder_.isEmpty() ? QDir::currentPath() : folder_,
                       QtFileFilter(filter));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!initialName.isEmpty())
        dialog.selectFile(QFileInfo(initialName).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    folder_ = QFileInfo(path).absolutePath();
    return path;
}

// The desktop has one action per kind of address and shows its windows as it
// likes, so the verb, the owner and the show command have nothing to map to.
void QtDialogs::ShellExecute(QWidget*, const QString&, const QString& target, ShowCommand) {
    if (!QDesktopServices::openUrl(ShellUrl(target)))
        throw EShellError("Cannot open \"" + target.toStdString() +
                          "\". No program was found to open it");
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
