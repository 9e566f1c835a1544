#include <QApplication>

#include <gtest/gtest.h>

// Widgets need an application object; without a display the tests draw offscreen (test
// discovery at build time runs without the ctest environment, hence the default here).
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // Fixed look, whatever the desktop, so that pixel positions are the same everywhere.
    QApplication::setStyle(QStringLiteral("Fusion"));
    return RUN_ALL_TESTS();
}
