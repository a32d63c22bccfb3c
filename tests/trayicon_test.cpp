// SPDX-License-Identifier: GPL-3.0-or-later
// Which clicks on the tray icon bring the main window back, on both kinds of
// tray host, and how a status-notifier host is recognised on the bus.
#include "ui/qttrayicon.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QWheelEvent>

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

// What reaches the main window from the icon Qt made: activations by their
// reason, and the wheel events an XEmbed tray window hands to the icon object.
TEST(TrayIcon, MiddleClickAndWheelReachTheirHandlers)
{
    QtTrayIcon tray;
    QStringList heard;
    tray.onMiddleClick = [&] { heard << "middle"; };
    tray.onDoubleClick = [&] { heard << "back"; };
    tray.onWheel = [&](int delta) { heard << QString("wheel %1").arg(delta); };
    tray.add(QIcon(), "tip");
    auto *icon = tray.findChild<QSystemTrayIcon *>();
    ASSERT_TRUE(icon);
    using R = QSystemTrayIcon::ActivationReason;
    auto wheel = [icon](int delta) {
        QWheelEvent e(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(icon, &e);
    };
    const struct {
        std::function<void()> act;
        QString heard;
    } cases[] = {
        {[icon] { Q_EMIT icon->activated(R::MiddleClick); }, "middle"},
        {[icon] { Q_EMIT icon->activated(R::DoubleClick); }, "back"},
        {[icon] { Q_EMIT icon->activated(R::Trigger); }, ""},
        {[&] { wheel(120); }, "wheel 120"},
        {[&] { wheel(-40); }, "wheel -40"},
        {[&] { wheel(0); }, ""}, // a sideways swipe alone
    };
    for (const auto &c : cases) {
        heard.clear();
        c.act();
        EXPECT_EQ(heard.join(","), c.heard);
    }
    // Nobody listening: nothing happens.
    tray.onMiddleClick = nullptr;
    tray.onWheel = nullptr;
    Q_EMIT icon->activated(R::MiddleClick);
    wheel(120);
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
