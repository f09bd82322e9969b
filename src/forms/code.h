// The code listing window: a fixed CRC-16 listing the user can read, edit
// and copy, shown modeless beside the main window.
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

    void FormClick();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<Ui::TForm5> ui;
};

extern TForm5* Form5;
