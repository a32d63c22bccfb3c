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
};
