// A widget application for benchmarks, without a display unless one is
// asked for (QT_QPA_PLATFORM=xcb, to measure painting on an X server).
#pragma once

#include <QApplication>

// Created once and left to the operating system at exit.
inline void StartOffscreenApplication() {
    if (QApplication::instance())
        return;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}
