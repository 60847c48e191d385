#include <QApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

// The main function of every test program that needs Qt: widgets need an application object,
// and the offscreen platform draws without a display, also when the tests are only listed.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
