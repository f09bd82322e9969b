// Records every dialog the program asks for and answers from a script.
#pragma once

#include "dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class FakeDialogs final : public Dialogs {
public:
    struct Message {
        QWidget* owner;
        QString text;
        QString caption;
        MsgButtons buttons;
        MsgIcon icon;
    };
    struct ShellCall {
        QWidget* owner;
        QString verb;
        QString target;
        ShowCommand show;
    };

    MsgResult MessageBox(QWidget* owner, const QString& text, const QString& caption,
                         MsgButtons buttons, MsgIcon icon) override;
    std::optional<QString> OpenFile(QWidget* owner, const QString& filter) override;
    std::optional<QString> SaveFile(QWidget* owner, const QString& filter,
                                    const QString& initialName) override;
    void ShellExecute(QWidget* owner, const QString& verb, const QString& target,
                      ShowCommand show) override;

    // Scripted answers, taken in order; without one a box answers Ok and a
    // file dialog is cancelled.
    std::deque<MsgResult> messageAnswers;
    std::deque<std::optional<QString>> fileAnswers;
    // Runs while a message box is "up", to look at the program's state then.
    std::function<void(const Message&)> onMessage;

    std::vector<Message> messages;
    QStringList openFilters;
    QStringList saveFilters;
    QStringList saveInitialNames;
    std::vector<ShellCall> shellCalls;
};
