#include "about.h"

#include "ui_about.h"

#include "MainForm.h"
#include "placement.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm3>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
}

TForm3::~TForm3() = default;

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed && Form1) {
        placed = true;
        CentreOverWindow(this, Form1);
    }
}
