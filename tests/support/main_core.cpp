// Test entry for core and simulator tests: a QCoreApplication so that event
// loops (acknowledgement waits, sockets, timers) work inside the tests.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
