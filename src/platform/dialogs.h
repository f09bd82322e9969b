// The one door to message boxes, file dialogs and the shell. Forms take a
// Dialogs by reference so that tests can script the user's answers.
#pragma once

#include <QString>

#include <optional>
#include <stdexcept>

class QUrl;
class QWidget;

enum class MsgIcon { None, Information, Critical };
enum class MsgButtons { Ok, OkCancel };
enum class MsgResult { Ok, Cancel };
// How the shell shows the window of what it opens.
enum class ShowCommand { Normal = 1, Restore = 9 };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MsgResult MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                 MsgButtons buttons, MsgIcon icon) = 0;

    // filter: alternating descriptions and patterns separated by "|".
    // An empty result means the user cancelled.
    virtual std::optional<QString> OpenFile(QWidget* owner, const QString& filter) = 0;
    virtual std::optional<QString> SaveFile(QWidget* owner, const QString& filter,
                                            const QString& initialName) = 0;

    // Opens a document or address with its registered handler; the result is
    // not examined. An empty verb asks for the handler's default action.
    virtual void ShellExecute(QWidget* owner, const QString& verb, const QString& target,
                              ShowCommand show) = 0;
};

// No program of the desktop took a shell target.
class EShellError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Qt's own file dialogs, which name icons and types by file names alone, and
// start in the folder of the file chosen last in the run. A missing file is
// for the caller to report, and overwriting one for the caller to ask about.
class QtDialogs final : public Dialogs {
public:
    MsgResult MessageBox(QWidget* owner, const QString& text, const QString& caption,
                         MsgButtons buttons, MsgIcon icon) override;
    std::optional<QString> OpenFile(QWidget* owner, const QString& filter) override;
    std::optional<QString> SaveFile(QWidget* owner, const QString& filter,
                                    const QString& initialName) override;
    // Throws EShellError when the desktop opens nothing.
    void ShellExecute(QWidget* owner, const QString& verb, const QString& target,
                      ShowCommand show) override;

private:
    std::optional<QString> ChooseFile(QWidget* owner, const QString& filter, bool save,
                                      const QString& initialName);

    QString folder_; // of the last file chosen
};

// What the desktop is asked to open for a shell target: a bare host name is a
// web address, a "mailto:" text goes to the mail handler, a path is a file.
QUrl ShellUrl(const QString& target);

// "Text(*.txt)|*.txt|All|*.*" -> "Text(*.txt) (*.txt);;All (*)": Qt reads the
// patterns from the parentheses at the end of each entry, and "*.*" would
// skip files without an extension on this platform.
QString QtFileFilter(const QString& pipeFilter);
