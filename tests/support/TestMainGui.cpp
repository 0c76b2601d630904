#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <QApplication>

// Widget tests need a QApplication; they run with the offscreen platform plugin.
int main(int argc, char** argv)
{
    prepareTestProcess();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
