// Test entry for widget and end-to-end tests: a QApplication on the offscreen
// platform unless the environment chose another one.
#include "app/main/AppAssembly.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    zovax::prepareApplicationEnvironment(); // as the program itself runs
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
