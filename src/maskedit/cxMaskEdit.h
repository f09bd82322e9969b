// The single-line edit used for the hexadecimal parameter fields.
#pragma once

#include <QLineEdit>

class TcxMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TcxMaskEdit(QWidget* parent = nullptr);
    ~TcxMaskEdit() override;

    // True while the edit holds the keyboard focus and the application is active.
    bool IsFocused() const { return focused_; }

signals:
    // Raised once each time the focused state flips: on entering, on leaving,
    // and when the application is deactivated or reactivated while focused.
    void OnFocusChanged(TcxMaskEdit* sender);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void UpdateFocused();

    bool focused_ = false;
    bool destroying_ = false;
};
