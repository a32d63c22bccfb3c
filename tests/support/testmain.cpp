// SPDX-License-Identifier: GPL-3.0-or-later
// main() for every test executable: a QApplication on the offscreen platform
// (unless the caller chose another), then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Where the player keeps its session and covers: never the user's own.
    QTemporaryDir xdg;
    qputenv("XDG_STATE_HOME", QFile::encodeName(xdg.filePath(QStringLiteral("state"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(xdg.filePath(QStringLiteral("cache"))));
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
