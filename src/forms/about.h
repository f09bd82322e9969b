// The about window: the program's name, date and contact links, and notes
// the user may edit while the program runs.
#pragma once

#include <QDialog>

#include <memory>

class Dialogs;

namespace Ui {
class TForm3;
}

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm3() override;

    void Button1Click();
    void Label5Click();
    void Label6Click();

private:
    void ApplyAppearance();

    std::unique_ptr<Ui::TForm3> ui;
    Dialogs& dialogs;
};

extern TForm3* Form3;
