// The one Qt application of a window benchmark, on the offscreen platform unless another is
// named, with the program's menus, strings and icons registered.
#pragma once

#include <cstdlib>

#include <QApplication>

#include "app/AppResources.h"

inline QApplication& BenchApp()
{
    static int argc = 1;
    static char name[] = "tallyfern_bench";
    static char* argv[] = {name, nullptr};
    static auto* pApp = [] {
        if (std::getenv("QT_QPA_PLATFORM") == nullptr)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        auto* p = new QApplication(argc, argv);
        RegisterAppResources();
        return p;
    }();
    return *pApp;
}
