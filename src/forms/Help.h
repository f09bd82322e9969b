// The help window: a borderless panel of white text, centred over the main
// window each time it is shown; a click on its background closes it.
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
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyAppearance();

    std::unique_ptr<Ui::TForm2> ui;
};

extern TForm2* Form2;
