// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "desktop/trayicon.h"

#include <QObject>
#include <QSystemTrayIcon>

class QDBusConnection;

class QMenu;

// The notification-area icon on QSystemTrayIcon. The QSystemTrayIcon is made
// on add(), so a player that never shows the icon never talks to a tray host.
class QtTrayIcon : public QObject, public TrayIcon {
    Q_OBJECT
public:
    explicit QtTrayIcon(QObject *parent = nullptr);
    ~QtTrayIcon() override;

    bool available() const override;
    void add(const QIcon &icon, const QString &tooltip) override;
    void modify(const QString &tooltip) override;
    void remove() override;

    // Hands the pop-up menu to the tray itself. Hosts that only show menus
    // they were given (status notifiers) need this; the icon then opens the
    // menu on a right click without asking onRightPress.
    void setContextMenu(QMenu *menu);

    // Whether bus has a status-notifier host. Qt then shows the icon as a
    // StatusNotifierItem, whose hosts report a left click as Trigger and
    // never as DoubleClick; an XEmbed tray reports both.
    static bool statusNotifierHostOn(const QDBusConnection &bus);
    // Whether an activation of the icon brings the main window back.
    static bool bringsWindowBack(QSystemTrayIcon::ActivationReason reason, bool statusNotifier);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QSystemTrayIcon *icon_ = nullptr;
    bool statusNotifier_ = false;
    QMenu *menu_ = nullptr;
    QString tip_;
};
