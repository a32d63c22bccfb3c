#include "platform/qttrayicon.h"

#include <QCursor>
#include <QSystemTrayIcon>

QtTrayIcon::QtTrayIcon(QObject *parent) : QObject(parent) {}

QtTrayIcon::~QtTrayIcon() = default;

bool QtTrayIcon::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::add(const QIcon &icon, const QString &tooltip)
{
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        connect(icon_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Context && !menu_ && onRightPress)
                        onRightPress(QCursor::pos());
                    else if (reason == QSystemTrayIcon::DoubleClick && onDoubleClick)
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

bool QtTrayIcon::visible() const
{
    return icon_ && icon_->isVisible();
}

void QtTrayIcon::setContextMenu(QMenu *menu)
{
    menu_ = menu;
    if (icon_)
        icon_->setContextMenu(menu);
}
