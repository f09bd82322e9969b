// The help window: a borderless panel centred over the main window each time
// it is shown; a click on its background closes it.
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TForm2;
}

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    void FormShow();
    void FormClick();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<Ui::TForm2> ui;
};

extern TForm2* Form2;
