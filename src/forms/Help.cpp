#include "Help.h"

#include "ui_Help.h"

#include "MainForm.h"
#include "MouseClick.h"
#include "errorreport.h"
#include "fonts.h"
#include "placement.h"

#include <QKeyEvent>

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm2>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(size());
    ApplyAppearance();
}

TForm2::~TForm2() = default;

void TForm2::ApplyAppearance() {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Highlight));
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    ui->Title->setFont(PixelFont(QStringLiteral("Times New Roman"), 16, true));
    ui->Label2->setFont(PixelFont(QStringLiteral("Tahoma"), 12));
    for (QLabel* label : findChildren<QLabel*>()) {
        label->setAutoFillBackground(true);
        // A click on a label's text is the label's: it does not reach the
        // background, which would close the window.
        label->setAttribute(Qt::WA_NoMousePropagation);
        label->adjustSize();
    }
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Guard([this] { FormShow(); });
}

void TForm2::mouseReleaseEvent(QMouseEvent* event) {
    QDialog::mouseReleaseEvent(event);
    if (EndsLeftClick(*this, *event))
        Guard([this] { FormClick(); });
}

// The panel closes by a click only; Escape would otherwise reject the dialog.
void TForm2::keyPressEvent(QKeyEvent* event) {
    Guard([this, event] {
        if (event->key() != Qt::Key_Escape)
            QDialog::keyPressEvent(event);
    });
}

void TForm2::FormShow() {
    if (Form1)
        MoveFrameTo(*this,
                    HelpPlacement(OuterRect(*Form1), OuterRect(*this).size(), VirtualDesktop()));
}

void TForm2::FormClick() {
    reject();
}
