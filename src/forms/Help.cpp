#include "Help.h"

#include "ui_Help.h"

#include "MainForm.h"
#include "errorreport.h"
#include "placement.h"

#include <QMouseEvent>

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm2>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(size());
}

TForm2::~TForm2() = default;

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Guard([this] { FormShow(); });
}

void TForm2::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        Guard([this] { FormClick(); });
}

void TForm2::FormShow() {
    if (Form1)
        move(HelpPlacement(Form1->frameGeometry(), frameGeometry().size(), VirtualDesktop()));
}

void TForm2::FormClick() {
    reject();
}
