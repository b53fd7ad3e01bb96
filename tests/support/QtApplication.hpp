#pragma once
// The widgets of these tests need one application object for the whole process.

#include <QApplication>

inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "norvane_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}
