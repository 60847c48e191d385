#include <QApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

// Widgets need an application object. The offscreen platform draws without a display, also
// when the tests are only being listed.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
