#include <gtest/gtest.h>

#include <QApplication>

// Widget tests run on Qt's offscreen platform unless a display is asked for explicitly.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorrel");
    Q_INIT_RESOURCE(quorrel);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
