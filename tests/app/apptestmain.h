#pragma once

#include <QApplication>
#include <QTest>

// Like QTEST_MAIN, but named like the program, so that boxes without a
// caption of their own carry the same title as in the program.
#define PAGINETTE_APP_TEST_MAIN(TestClass)                                                         \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        QApplication app(argc, argv);                                                              \
        QApplication::setApplicationName(QStringLiteral("Paginette"));                             \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
