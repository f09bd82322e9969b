#include "dialogs.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
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

// Qt's dialog, but one that lets the user name an existing file they may not
// write for saving. Qt greys its button for such a file, and its selection
// then holds the folder before the file, leaving the user with no word why.
// The program refuses such a save itself and says why.
class FileDialog final : public QFileDialog {
public:
    FileDialog(QWidget* owner, const QString& folder, const QString& filter, bool save)
        : QFileDialog(owner, QString(), folder, filter) {
        setOptions(DontUseNativeDialog | DontConfirmOverwrite);
        setAcceptMode(save ? AcceptSave : AcceptOpen);
        setFileMode(AnyFile);
        auto* box = findChild<QDialogButtonBox*>();
        name_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        button_ = box ? box->button(QDialogButtonBox::Save) : nullptr;
        if (!save || !name_ || !button_)
            return;
        // Connected after the dialog's own updates of the button, so runs after them.
        button_->installEventFilter(this);
        connect(name_, &QLineEdit::textChanged, this, &FileDialog::KeepButton);
        connect(this, &QFileDialog::currentChanged, this, &FileDialog::KeepButton);
    }

    QString Chosen() const {
        if (!typed_.isEmpty())
            return typed_;
        const QStringList files = selectedFiles();
        return files.isEmpty() ? QString() : files.constFirst();
    }

    void accept() override {
        typed_ = TypedExistingFile();
        if (typed_.isEmpty())
            QFileDialog::accept();
        else
            QDialog::accept();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == button_ && event->type() == QEvent::EnabledChange)
            KeepButton();
        return QFileDialog::eventFilter(watched, event);
    }

private:
    void KeepButton() {
        if (!button_->isEnabled() && !TypedExistingFile().isEmpty())
            button_->setEnabled(true);
    }

    // The existing file, not a folder, that the name field names in save mode.
    QString TypedExistingFile() const {
        if (!button_ || !name_ || name_->text().isEmpty())
            return QString();
        const QFileInfo info(directory().absoluteFilePath(name_->text()));
        return info.exists() && !info.isDir() ? info.absoluteFilePath() : QString();
    }

    QLineEdit* name_ = nullptr;
    QPushButton* button_ = nullptr;
    QString typed_;
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
    FileDialog dialog(owner, folder_.isEmpty() ? QDir::currentPath() : folder_,
                      QtFileFilter(filter), save);
    dialog.setIconProvider(&icons);
    if (!initialName.isEmpty())
        dialog.selectFile(QFileInfo(initialName).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen().isEmpty())
        return std::nullopt;
    const QString path = dialog.Chosen();
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
