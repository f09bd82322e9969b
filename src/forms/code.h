// The code listing window, shown modeless beside the main window.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TForm5;
}

class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TForm5> ui;
    bool placed = false;
};

extern TForm5* Form5;
