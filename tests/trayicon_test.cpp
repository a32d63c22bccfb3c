// Which clicks on the tray icon bring the main window back, on both kinds of
// tray host, and how a status-notifier host is recognised on the bus.
#include "ui/qttrayicon.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>

namespace {

TEST(TrayIcon, ClicksThatBringTheWindowBack)
{
    using R = QSystemTrayIcon::ActivationReason;
    struct Case {
        R reason;
        bool statusNotifier;
        bool back;
    } cases[] = {
        {R::Trigger, true, true},      // a left click on a status-notifier host
        {R::Trigger, false, false},    // the first click of a double click on XEmbed
        {R::DoubleClick, false, true},
        {R::DoubleClick, true, true},
        {R::Context, true, false},     // the menu's business
    };
    for (const Case &c : cases)
        EXPECT_EQ(QtTrayIcon::bringsWindowBack(c.reason, c.statusNotifier), c.back)
            << int(c.reason) << " " << c.statusNotifier;
}

TEST(TrayIcon, StatusNotifierHostIsSeenOnTheBus)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    ASSERT_FALSE(daemon.isEmpty()) << "dbus-daemon is missing (tools/deps.sh installs it)";
    QProcess bus;
    bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    {
        QDBusConnection c = QDBusConnection::connectToBus(address, QStringLiteral("tray-test"));
        ASSERT_TRUE(c.isConnected());
        EXPECT_FALSE(QtTrayIcon::statusNotifierHostOn(c));
        ASSERT_TRUE(c.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        EXPECT_TRUE(QtTrayIcon::statusNotifierHostOn(c));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("tray-test"));
    EXPECT_FALSE(QtTrayIcon::statusNotifierHostOn(QDBusConnection(QStringLiteral("no-such-bus"))));
    bus.kill();
    bus.waitForFinished();
}

} // namespace
