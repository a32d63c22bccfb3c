#pragma once
#include "platform/trayicon.h"

#include <QObject>

class QSystemTrayIcon;

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
    QString tooltip() const override { return tip_; }
    bool visible() const override;

private:
    QSystemTrayIcon *icon_ = nullptr;
    QString tip_;
};
