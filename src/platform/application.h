#pragma once

#include <QApplication>

// The application object: its notify() is the backstop that keeps an
// exception from unwinding through Qt's event loop.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
