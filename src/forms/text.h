// The CRC-16 table window: 256 table entries as 32 lines of eight, shown modally.
#pragma once

#include <QDialog>

#include <memory>

class QPlainTextEdit;

namespace Ui {
class TForm4;
}

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    QPlainTextEdit* Memo1() const;

private:
    std::unique_ptr<Ui::TForm4> ui;
};

extern TForm4* Form4;
