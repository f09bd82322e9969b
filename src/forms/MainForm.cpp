#include "MainForm.h"

#include "ui_MainForm.h"

#include "Help.h"
#include "about.h"
#include "code.h"
#include "errorreport.h"
#include "fonts.h"
#include "placement.h"

#include <QLabel>
#include <QPalette>
#include <QShowEvent>

#include <algorithm>

TForm1* Form1 = nullptr;

namespace {

constexpr int kPanelCrcupHeight = 160;
constexpr int kGroupBoxTop = 15;
constexpr int kPanelCrcdownHeight = 35;
constexpr int kGroupBoxMargin = 2;

void MakeRed(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    palette.setColor(QPalette::Text, Qt::red);
    widget->setPalette(palette);
}

} // namespace

TForm1::TForm1(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TForm1>()), dialogs(dialogs) {
    ui->setupUi(this);
    ApplyAppearance();
    ConnectHandlers();
    ui->BtnCaculate->setFocus();
}

TForm1::~TForm1() = default;

void TForm1::ApplyAppearance() {
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    ui->Label4->setFont(PixelFont(QStringLiteral("Tahoma"), 16, true));
    MakeRed(ui->Label4);
    ui->EditValue->setFont(PixelFont(QStringLiteral("Tahoma"), 13, true));
    MakeRed(ui->EditValue);
    ui->Memo1->setFont(PixelFont(QStringLiteral("宋体"), 12));
    // Labels size themselves to their text.
    for (QLabel* label : findChildren<QLabel*>())
        label->adjustSize();
}

void TForm1::ConnectHandlers() {
    connect(ui->BtnCaculate, &QPushButton::clicked, this, Guarded(this, &TForm1::BtnCaculateClick));
    connect(ui->Button1, &QPushButton::clicked, this, Guarded(this, &TForm1::Button1Click));
    connect(ui->Button2, &QPushButton::clicked, this, Guarded(this, &TForm1::Button2Click));
    connect(ui->Button3, &QPushButton::clicked, this, Guarded(this, &TForm1::Button3Click));
    connect(ui->Button4, &QPushButton::clicked, this, Guarded(this, &TForm1::Button4Click));
    connect(ui->BtnAbout, &QPushButton::clicked, this, Guarded(this, &TForm1::BtnAboutClick));
    connect(ui->BtnHelp, &QPushButton::clicked, this, Guarded(this, &TForm1::BtnHelpClick));
    connect(ui->BtnClose, &QPushButton::clicked, this, Guarded(this, &TForm1::BtnCloseClick));
    connect(ui->BtnImport, &QPushButton::clicked, this, Guarded(this, &TForm1::BtnImportClick));
    connect(ui->BtnSave, &QPushButton::clicked, this, Guarded(this, &TForm1::BtnSaveClick));
    connect(ui->BtnClear, &QPushButton::clicked, this, Guarded(this, &TForm1::BtnClearClick));
    // toggled, not clicked: the handler runs on every change of state.
    connect(ui->CheckBoxHex, &QCheckBox::toggled, this, Guarded(this, &TForm1::CheckBoxHexClick));
    connect(ui->EditEnpoly, &TcxMaskEdit::OnFocusChanged, this,
            Guarded(this, &TForm1::EditEnpolyFocusChanged));
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutClientArea();
}

// Panel_Crcup is aligned to the top at a fixed height; GroupBox1 takes the
// rest, with Panel_Crcdown at its top and Memo1 filling what remains.
void TForm1::LayoutClientArea() {
    const int w = width();
    const int h = height();
    ui->Panel_Crcup->setGeometry(0, 0, w, kPanelCrcupHeight);
    ui->GroupBox1->setGeometry(0, kPanelCrcupHeight, w, std::max(0, h - kPanelCrcupHeight));
    const int innerWidth = std::max(0, ui->GroupBox1->width() - 2 * kGroupBoxMargin);
    const int memoTop = kGroupBoxTop + kPanelCrcdownHeight;
    ui->Panel_Crcdown->setGeometry(kGroupBoxMargin, kGroupBoxTop, innerWidth, kPanelCrcdownHeight);
    ui->Memo1->setGeometry(kGroupBoxMargin, memoTop, innerWidth,
                           std::max(0, ui->GroupBox1->height() - memoTop - kGroupBoxMargin));
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed && !event->spontaneous()) {
        placed = true;
        CentreOnPrimaryScreen(this);
    }
}

void TForm1::BtnCaculateClick() {}

void TForm1::Button1Click() {}

void TForm1::Button2Click() {
    if (!Form5)
        return;
    Form5->show();
    Form5->raise();
    Form5->activateWindow();
}

void TForm1::Button3Click() {}

void TForm1::Button4Click() {}

void TForm1::BtnAboutClick() {
    if (Form3)
        Form3->exec();
}

void TForm1::BtnHelpClick() {
    if (Form2)
        Form2->exec();
}

void TForm1::BtnCloseClick() {
    close();
}

void TForm1::BtnImportClick() {}

void TForm1::BtnSaveClick() {}

void TForm1::BtnClearClick() {}

void TForm1::CheckBoxHexClick() {}

void TForm1::EditEnpolyFocusChanged(TcxMaskEdit*) {}
