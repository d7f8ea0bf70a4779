#pragma once

#include <QApplication>
#include <QtGlobal>

// The one QApplication of a GoogleTest program that shows Qt screens, made at the first call, on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise. Cases call it from their SetUp; listing the cases makes none.
inline QApplication& qt_application() {
    static int argc = 1;
    static char name[] = "ostrevan-tests";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
