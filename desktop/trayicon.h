// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>
#include <QPoint>
#include <QString>
#include <functional>

// One notification-area icon. QtTrayIcon wraps QSystemTrayIcon; tests use
// FakeTrayIcon.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    virtual bool available() const = 0; // is there a tray host at all?
    virtual void add(const QIcon &icon, const QString &tooltip) = 0;
    virtual void modify(const QString &tooltip) = 0;
    virtual void remove() = 0;

    // Filled in by the main window.
    std::function<void(const QPoint &globalPos)> onRightPress;
    std::function<void()> onDoubleClick;
    std::function<void()> onMiddleClick;
    // The wheel turned over the icon, in eighths of a degree (120 a notch,
    // up is positive). Only XEmbed trays pass the wheel on; status-notifier
    // hosts' scrolling never reaches Qt 6.4's icon.
    std::function<void(int angleDelta)> onWheel;
};
