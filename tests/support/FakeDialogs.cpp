#include "FakeDialogs.h"

MsgResult FakeDialogs::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                  MsgButtons buttons, MsgIcon icon) {
    messages.push_back({owner, text, caption, buttons, icon});
    if (onMessage)
        onMessage(messages.back());
    if (messageAnswers.empty())
        return MsgResult::Ok;
    const MsgResult answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

std::optional<QString> FakeDialogs::OpenFile(QWidget*, const QString& filter) {
    openFilters << filter;
    if (fileAnswers.empty())
        return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<QString> FakeDialogs::SaveFile(QWidget*, const QString& filter,
                                             const QString& initialName) {
    saveFilters << filter;
    saveInitialNames << initialName;
    if (fileAnswers.empty())
        return std::nullopt;
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

void FakeDialogs::ShellExecute(QWidget* owner, const QString& verb, const QString& target,
                               ShowCommand show) {
    shellCalls.push_back({owner, verb, target, show});
}
