// The main window for benchmarks of its commands: shown, with dialogs that
// answer every open dialog with one file and show nothing.
#pragma once

#include "MainForm.h"
#include "MemoEdit.h"
#include "dialogs.h"
#include "memotext.h"
#include "offscreen.h"

#include <QApplication>
#include <QCheckBox>

#include <memory>
#include <optional>
#include <string>

class FileDialogs final : public Dialogs {
public:
    explicit FileDialogs(QString path) : path_(std::move(path)) {}
    MsgResult MessageBox(QWidget*, const QString&, const QString&, MsgButtons, MsgIcon) override {
        return MsgResult::Ok;
    }
    std::optional<QString> OpenFile(QWidget*, const QString&) override { return path_; }
    std::optional<QString> SaveFile(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    void ShellExecute(QWidget*, const QString&, const QString&, ShowCommand) override {}

private:
    QString path_;
};

class Window {
public:
    explicit Window(const std::string& importPath) : dialogs_(QString::fromStdString(importPath)) {
        StartOffscreenApplication();
        form_ = std::make_unique<TForm1>(dialogs_);
        form_->show();
        QApplication::processEvents();
    }
    MemoEdit* Memo() const { return form_->findChild<MemoEdit*>("Memo1"); }
    QCheckBox* HexBox() const { return form_->findChild<QCheckBox*>("CheckBoxHex"); }
    TForm1& Form() const { return *form_; }
    // The memo's text and the box's state without running the box's handler.
    void Prepare(const std::string& text, bool hex) {
        const QSignalBlocker block(HexBox());
        HexBox()->setChecked(hex);
        SetMemoText(*Memo(), text);
        QApplication::processEvents();
    }

private:
    FileDialogs dialogs_;
    std::unique_ptr<TForm1> form_;
};
