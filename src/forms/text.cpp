#include "text.h"

#include "ui_text.h"

#include "MainForm.h"
#include "fonts.h"
#include "placement.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm4>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    ui->Memo1->setFont(PixelFont(QStringLiteral("宋体"), 13));
    CentreOverOnFirstShow(this, [] { return Form1; });
}

TForm4::~TForm4() = default;

QPlainTextEdit* TForm4::Memo1() const {
    return ui->Memo1;
}
