#pragma once

#include "application.h"

#include <QTest>

// Like QTEST_MAIN, but with the program's own application object, so that
// exceptions from event handlers reach its display as they do in the program.
#define PAGINETTE_APP_TEST_MAIN(TestClass)                                                         \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        Application app(argc, argv);                                                               \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
