// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/inputwindowtracker.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>

InputWindowTracker::InputWindowTracker(QObject *parent) : QObject(parent)
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

QWidget *InputWindowTracker::lastWindow() const
{
    return last_ && last_->isVisible() ? last_.data() : nullptr;
}

bool InputWindowTracker::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type t = event->type();
    if ((t == QEvent::MouseButtonPress || t == QEvent::KeyPress) && watched->isWidgetType()) {
        QWidget *w = static_cast<QWidget *>(watched)->window();
        // A pop-up menu speaks for the window it belongs to.
        while (w && w->windowType() == Qt::Popup && w->parentWidget())
            w = w->parentWidget()->window();
        if (w && w->windowType() != Qt::Popup && !qobject_cast<QDialog *>(w))
            last_ = w;
    }
    return QObject::eventFilter(watched, event);
}
