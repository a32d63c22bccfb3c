// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qttrayicon.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QWheelEvent>

QtTrayIcon::QtTrayIcon(QObject *parent) : QObject(parent) {}

QtTrayIcon::~QtTrayIcon() = default;

bool QtTrayIcon::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::add(const QIcon &icon, const QString &tooltip)
{
    if (!icon_) {
        // Qt picks the status-notifier kind of icon by the same test, once,
        // when the first icon is made.
        statusNotifier_ = statusNotifierHostOn(QDBusConnection::sessionBus());
        icon_ = new QSystemTrayIcon(this);
        // An XEmbed tray's icon window hands its wheel events to the
        // QSystemTrayIcon object itself; they are caught there.
        icon_->installEventFilter(this);
        connect(icon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Context && !menu_ && onRightPress)
                        onRightPress(QCursor::pos());
                    else if (reason == QSystemTrayIcon::MiddleClick && onMiddleClick)
                        onMiddleClick();
                    else if (bringsWindowBack(reason, statusNotifier_) && onDoubleClick)
                        onDoubleClick();
                });
    }
    if (menu_)
        icon_->setContextMenu(menu_);
    icon_->setIcon(icon);
    tip_ = tooltip;
    icon_->setToolTip(tooltip);
    icon_->show();
}

bool QtTrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == icon_ && event->type() == QEvent::Wheel) {
        const int turn = static_cast<QWheelEvent *>(event)->angleDelta().y();
        if (onWheel && turn != 0)
            onWheel(turn);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void QtTrayIcon::modify(const QString &tooltip)
{
    // The tick rewrites the tooltip ten times a second; only a change is worth
    // a message to the tray host.
    if (tooltip == tip_)
        return;
    tip_ = tooltip;
    if (icon_)
        icon_->setToolTip(tooltip);
}

void QtTrayIcon::remove()
{
    if (icon_)
        icon_->hide();
}

void QtTrayIcon::setContextMenu(QMenu *menu)
{
    menu_ = menu;
    if (icon_)
        icon_->setContextMenu(menu);
}

bool QtTrayIcon::statusNotifierHostOn(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    return bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

bool QtTrayIcon::bringsWindowBack(QSystemTrayIcon::ActivationReason reason, bool statusNotifier)
{
    // On an XEmbed tray a single click is only the first half of a double
    // click, which alone brings the window back.
    return reason == QSystemTrayIcon::DoubleClick
           || (statusNotifier && reason == QSystemTrayIcon::Trigger);
}
