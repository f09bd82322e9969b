#include "MainForm.h"

#include "ui_MainForm.h"

#include "Calculate.h"
#include "Help.h"
#include "about.h"
#include "code.h"
#include "crc.h"
#include "datafile.h"
#include "dialogs.h"
#include "errorreport.h"
#include "fonts.h"
#include "hexformat.h"
#include "hextokens.h"
#include "hexview.h"
#include "memotext.h"
#include "placement.h"
#include "text.h"

#include <QFile>
#include <QLabel>
#include <QPalette>
#include <QSignalBlocker>

#include <algorithm>

TForm1* Form1 = nullptr;

namespace {

constexpr int kPanelCrcupHeight = 160;
constexpr int kGroupBoxTop = 15;
constexpr int kPanelCrcdownHeight = 35;
constexpr int kGroupBoxMargin = 2;

const char* const kOpenDialog1Filter = "文本文件(*.txt)|*.txt|二进制文件(*.bin)|*.bin|所有文件|*.*";
const char* const kSaveDialog1Filter = "文本文件(*.txt)|*.txt";

// Every field-to-number conversion goes through the token reader's rule.
std::uint32_t FieldValue(const QLineEdit* field) {
    return ParseHexToken(EncodeBytes(field->text()));
}

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
    CentreOnPrimaryScreenOnFirstShow(this);
    ui->BtnCaculate->setFocus();
}

TForm1::~TForm1() {
    // Destroying the controls moves the focus among them; no handler may run
    // on a half-destroyed window.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

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
    connect(ui->Memo1, &MemoEdit::bytesChanged, this, Guarded(this, &TForm1::Memo1BytesChanged));
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Guard([this] { LayoutClientArea(); });
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

void TForm1::Prompt(std::string_view text) {
    dialogs.MessageBox(this, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                       QStringLiteral("提示"), MsgButtons::Ok, MsgIcon::None);
}

void TForm1::BtnCaculateClick() {
    const std::string init = EncodeBytes(ui->EditInit->text());
    const std::string poly = EncodeBytes(ui->EditEnpoly->text());
    const std::string xorValue = EncodeBytes(ui->xorEdit->text());
    const std::string text = MemoText(*ui->Memo1);
    // Two of the boxes ask for most-significant-bit first when ticked.
    const CalcResult result = Calculate({.init = init,
                                         .poly = poly,
                                         .xorValue = xorValue,
                                         .width = ui->ComboBoxCRC->currentIndex() == 1 ? 32 : 16,
                                         .reversePoly = ui->CheckBoxRevPloy->isChecked(),
                                         .reflectedTable = !ui->CheckBoxRevTable->isChecked(),
                                         .reflectedUpdate = !ui->CheckBoxRev->isChecked(),
                                         .xorOut = ui->CheckBox1->isChecked(),
                                         .hex = ui->CheckBoxHex->isChecked(),
                                         .data = text});
    if (const auto* digits = std::get_if<std::string>(&result))
        ui->EditValue->setText(QString::fromStdString(*digits));
    else if (const auto* prompt = std::get_if<CalcPrompt>(&result))
        Prompt(CalcPromptText(*prompt));
    else if (const auto* bad = std::get_if<CalcBadToken>(&result))
        ReportBadToken(bad->index);
    else
        throw EConvertError(std::get<CalcConvertError>(result).message);
}

// The calculation reports a bad token as the view toggle reports one of the
// right length, and selects two characters whatever its length.
void TForm1::ReportBadToken(std::size_t index) {
    ReportBadHexViewToken({.index = index, .length = 2, .twoCharacters = true});
    ui->EditValue->clear();
}

void TForm1::Button1Click() {
    if (ui->ComboBoxCRC->currentIndex() != 0 || !Form4)
        return;
    std::uint32_t poly = FieldValue(ui->EditEnpoly);
    const bool reflected = !ui->CheckBoxRevTable->isChecked();
    if (ui->CheckBoxRevPloy->isChecked())
        poly = ReverseBits(poly, 4);
    BuildCrc16Table(static_cast<std::uint16_t>(poly), reflected);
    // Each line is appended, so each ends with a line break, the last one too.
    std::string text;
    for (const std::string& line : Crc16TableLines(Crc16Table))
        text += line + "\r\n";
    SetMemoText(*Form4->Memo1(), text);
    Form4->exec();
}

void TForm1::Button2Click() {
    if (!Form5)
        return;
    Form5->show();
    Form5->raise();
    Form5->activateWindow();
}

void TForm1::ApplyPreset(const char* poly, bool revPoly, bool revTable, bool rev) {
    ui->ComboBoxCRC->setCurrentIndex(0);
    ui->EditInit->setText(QStringLiteral("FFFF"));
    ui->EditEnpoly->setText(QString::fromLatin1(poly));
    ui->xorEdit->setText(QStringLiteral("0000"));
    ui->CheckBox1->setChecked(false);
    ui->CheckBoxRevPloy->setChecked(revPoly);
    ui->CheckBoxRevTable->setChecked(revTable);
    ui->CheckBoxRev->setChecked(rev);
    EditEnpolyFocusChanged(nullptr);
}

void TForm1::Button3Click() {
    ApplyPreset("8005", true, false, false);
}

void TForm1::Button4Click() {
    ApplyPreset("1021", false, true, true);
}

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

void TForm1::BtnImportClick() {
    const std::optional<QString> chosen =
        dialogs.OpenFile(this, QString::fromUtf8(kOpenDialog1Filter));
    if (chosen)
        ImportFile(*chosen);
}

void TForm1::ImportFile(const QString& fileName) {
    const std::string path = QFile::encodeName(fileName).toStdString();
    const DataFileKind kind = DataFileKindOf(path);
    if (kind == DataFileKind::Other)
        return;
    // Replaced only once the file has been read whole: a failed import leaves it as it was.
    if (kind == DataFileKind::Binary) {
        HexLinesReader lines(path, kMemoCapacity);
        SetMemoText(*ui->Memo1, lines);
    } else {
        SetMemoText(*ui->Memo1, ReadDataFile(path, kind, kMemoCapacity));
    }
}

void TForm1::BtnSaveClick() {
    const std::optional<QString> chosen =
        dialogs.SaveFile(this, QString::fromUtf8(kSaveDialog1Filter), saveFileName);
    if (!chosen)
        return;
    const std::string path = SaveFileNameFor(QFile::encodeName(*chosen).toStdString());
    saveFileName = QFile::decodeName(QByteArray::fromStdString(path));
    if (IsExistingFile(path) &&
        dialogs.MessageBox(this, QStringLiteral("文件已经存在,是否替换?"), QStringLiteral("提示"),
                           MsgButtons::OkCancel, MsgIcon::None) != MsgResult::Ok)
        return;
    SaveTextFile(path, MemoText(*ui->Memo1));
}

void TForm1::BtnClearClick() {
    ui->Memo1->clear();
}

// Runs after the click has changed the box, and converts into the view it now names.
void TForm1::CheckBoxHexClick() {
    if (ui->CheckBoxHex->isChecked())
        ConvertToHexView();
    else
        ConvertToTextView();
}

void TForm1::ConvertToHexView() {
    const std::string text = MemoText(*ui->Memo1);
    if (text.empty())
        return;
    SetMemoText(*ui->Memo1, TextToHexView(text, NullPositions.Offsets(), kMemoCapacity));
}

// The memo is written only when every token converts; otherwise it keeps the
// hexadecimal view and so does the box.
void TForm1::ConvertToTextView() {
    NullPositions.Clear();
    TextViewResult view = HexViewToText(MemoText(*ui->Memo1));
    if (view.failure) {
        {
            const QSignalBlocker unchanged(ui->CheckBoxHex);
            ui->CheckBoxHex->setChecked(true);
        }
        ReportBadHexViewToken(*view.failure);
        return;
    }
    SetMemoText(*ui->Memo1, view.text);
    NullPositions.Assign(std::move(view.standIns));
}

void TForm1::ReportBadHexViewToken(const BadHexToken& token) {
    if (token.twoCharacters)
        dialogs.MessageBox(this, QStringLiteral("存在无效16进制！"), QStringLiteral("错误"),
                           MsgButtons::Ok, MsgIcon::Critical);
    else
        dialogs.MessageBox(this, QStringLiteral("16进制范围:00-FF的2位数"), QStringLiteral("提示"),
                           MsgButtons::Ok, MsgIcon::Information);
    ui->Memo1->setFocus();
    // Assumes two digits and one separator per earlier token, as the hex view writes them.
    SelectMemoText(*ui->Memo1, static_cast<qsizetype>(3 * token.index),
                   static_cast<qsizetype>(token.length));
}

void TForm1::Memo1BytesChanged(quint64 offset, quint64 removed, quint64 added) {
    NullPositions.TextChanged(offset, removed, added);
}

// Shows the bit-reversed polynomial; the reflection options play no part.
void TForm1::EditEnpolyFocusChanged(TcxMaskEdit*) {
    const std::uint32_t poly = FieldValue(ui->EditEnpoly);
    switch (ui->ComboBoxCRC->currentIndex()) {
    case 0:
        ui->cxMaskEdit1->setText(QString::fromStdString(HexDigits(ReverseBits(poly, 4), 4)));
        break;
    case 1:
        ui->cxMaskEdit1->setText(QString::fromStdString(HexDigits(ReverseBits(poly, 8), 8)));
        break;
    default:
        break;
    }
}
