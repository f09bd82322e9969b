#include "about.h"

#include "ui_about.h"

#include "MainForm.h"
#include "dialogs.h"
#include "errorreport.h"
#include "fonts.h"
#include "placement.h"

TForm3* Form3 = nullptr;

namespace {

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QFont LinkFont() {
    QFont font = PixelFont(QStringLiteral("Tahoma"), 11);
    font.setUnderline(true);
    return font;
}

} // namespace

TForm3::TForm3(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm3>()), dialogs(dialogs) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    ApplyAppearance();
    connect(ui->Button1, &QPushButton::clicked, this, Guarded(this, &TForm3::Button1Click));
    connect(ui->Label5, &TLinkLabel::clicked, this, Guarded(this, &TForm3::Label5Click));
    connect(ui->Label6, &TLinkLabel::clicked, this, Guarded(this, &TForm3::Label6Click));
    CentreOverOnFirstShow(this, [] { return Form1; });
    ui->Button1->setFocus();
}

TForm3::~TForm3() = default;

void TForm3::ApplyAppearance() {
    // A dialog frame shows no icon; without one of its own the window would
    // take the application's.
    QPixmap noIcon(16, 16);
    noIcon.fill(Qt::transparent);
    setWindowIcon(QIcon(noIcon));
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    ui->Label7->setFont(PixelFont(QStringLiteral("Tahoma"), 19, true));
    SetTextColour(ui->Label7, QColor(0x80, 0x00, 0x00));
    for (QLabel* credit : {ui->Label8, ui->Label9}) {
        credit->setFont(PixelFont(QStringLiteral("Tahoma"), 12, true));
        SetTextColour(credit, QColor(0x80, 0x80, 0x00));
    }
    for (QLabel* link : {ui->Label5, ui->Label6}) {
        link->setFont(LinkFont());
        SetTextColour(link, Qt::blue);
    }
    for (QLabel* label : findChildren<QLabel*>())
        if (label != ui->Image1)
            label->adjustSize();
}

void TForm3::Button1Click() {
    reject();
}

// The address is the caption as it stands at the click, with no scheme added.
void TForm3::Label5Click() {
    dialogs.ShellExecute(nullptr, QStringLiteral("open"), ui->Label5->text(), ShowCommand::Normal);
}

void TForm3::Label6Click() {
    dialogs.ShellExecute(this, QString(), QStringLiteral("mailto:") + ui->Label6->text(),
                         ShowCommand::Restore);
}
