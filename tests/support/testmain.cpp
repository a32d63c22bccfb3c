// main() for every test executable: a QApplication on the offscreen platform
// (unless the caller chose another), then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <clocale>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
