#include "code.h"

#include "ui_code.h"

#include "MainForm.h"
#include "MouseClick.h"
#include "errorreport.h"
#include "fonts.h"
#include "placement.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TForm5>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window);
    // Closing this window only hides it, keeping the user's edits; the
    // program ends with the main window.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    ui->Memo1->setFont(PixelFont(QStringLiteral("宋体"), 13));
    CentreOverOnFirstShow(this, [] { return Form1; });
}

TForm5::~TForm5() = default;

// The memo covers the whole window, so only a click on a border it leaves
// free, if any, gets here.
void TForm5::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (EndsLeftClick(*this, *event))
        Guard([this] { FormClick(); });
}

void TForm5::FormClick() {
    close();
}
