#include "code.h"

#include "ui_code.h"

#include "MainForm.h"
#include "placement.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TForm5>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window);
    // Closing this window only hides it; the program ends with the main window.
    setAttribute(Qt::WA_QuitOnClose, false);
}

TForm5::~TForm5() = default;

void TForm5::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed && Form1) {
        placed = true;
        CentreOverWindow(this, Form1);
    }
}
