// SPDX-License-Identifier: GPL-3.0-or-later
// main() for every test executable: a QApplication on the offscreen platform
// (unless the caller chose another), then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
