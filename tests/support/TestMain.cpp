#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

// Tests run with a Qt application object, as the program does, so event loops, timers and
// queued calls behave as in production.
int main(int argc, char** argv)
{
    prepareTestProcess();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
