// The main window: parameters, options, commands and the data memo.
#pragma once

#include "standins.h"

#include <QString>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <string_view>

class Dialogs;
class TcxMaskEdit;
struct BadHexToken;

namespace Ui {
class TForm1;
}

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    void BtnCaculateClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void BtnAboutClick();
    void BtnHelpClick();
    void BtnCloseClick();
    void BtnImportClick();
    void BtnSaveClick();
    void BtnClearClick();
    void CheckBoxHexClick();
    void EditEnpolyFocusChanged(TcxMaskEdit* sender);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Prompt(std::string_view text);
    void ReportBadToken(std::size_t index);
    void ApplyPreset(const char* poly, bool revPoly, bool revTable, bool rev);
    void ConvertToHexView();
    void ConvertToTextView();
    void ReportBadHexViewToken(const BadHexToken& token);
    void Memo1BytesChanged(quint64 offset, quint64 removed, quint64 added);
    void ApplyAppearance();
    void ConnectHandlers();
    void LayoutClientArea();

    std::unique_ptr<Ui::TForm1> ui;
    Dialogs& dialogs;
    // Characters of the text view that stand for other bytes: full stops for 00
    // and line breaks for a lone 0D or 0A. Follows the memo's edits.
    StandInList NullPositions;
    // SaveDialog1's file name, offered again by the next save.
    QString saveFileName;
};

extern TForm1* Form1;
