// The program's five windows for a test, wired through the global pointers,
// with scripted dialogs and the application-wide error report routed to them.
#pragma once

#include "FakeDialogs.h"
#include "Help.h"
#include "MainForm.h"
#include "about.h"
#include "code.h"
#include "errorreport.h"
#include "text.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <memory>

struct Program {
    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form1 = std::make_unique<TForm1>(dialogs);
    std::unique_ptr<TForm2> form2 = std::make_unique<TForm2>();
    std::unique_ptr<TForm3> form3 = std::make_unique<TForm3>(dialogs);
    std::unique_ptr<TForm4> form4 = std::make_unique<TForm4>();
    std::unique_ptr<TForm5> form5 = std::make_unique<TForm5>();

    Program() {
        Form1 = form1.get();
        Form2 = form2.get();
        Form3 = form3.get();
        Form4 = form4.get();
        Form5 = form5.get();
        InstallErrorReport(&dialogs, QStringLiteral("Quenfold"));
    }
    ~Program() {
        InstallErrorReport(nullptr, QString());
        Form1 = nullptr;
        Form2 = nullptr;
        Form3 = nullptr;
        Form4 = nullptr;
        Form5 = nullptr;
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    template <class T> T* Find(const char* name) const {
        return form1->findChild<T*>(QString::fromLatin1(name));
    }
    bool ShowActive() const {
        form1->show();
        QApplication::setActiveWindow(form1.get());
        return QTest::qWaitForWindowActive(form1.get());
    }
};

// Closes whatever modal window comes up next, once the event loop gets to it.
inline void CloseNextModal(QWidget** seen) {
    QTimer::singleShot(0, [seen] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            *seen = modal;
            modal->close();
        }
    });
}
