// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/inputgate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

InputGate::InputGate(QWidget *window, QWidget *allowed, std::function<void()> onCancel)
    : window_(window), allowed_(allowed), onCancel_(std::move(onCancel))
{
    qApp->installEventFilter(this);
}

InputGate::~InputGate()
{
    qApp->removeEventFilter(this);
}

bool InputGate::eventFilter(QObject *watched, QEvent *event)
{
    // Input reaches a window first and is passed on to its widgets, where it
    // is sorted; a window itself is let through.
    auto *widget = qobject_cast<QWidget *>(watched);
    // A dialog opened during the wait (a failure message) takes input as
    // usual; otherwise nobody could close it.
    const QWidget *modal = QApplication::activeModalWidget();
    if (widget && modal && modal != window_ && widget->window() == modal)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!widget)
            return false;
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && window_
            && widget->window() == window_) {
            if (onCancel_)
                onCancel_();
        }
        return true;
    case QEvent::Close:
        if (event->spontaneous() && widget) {
            if (widget == window_ && onCancel_)
                onCancel_();
            return true;
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return widget && !(allowed_ && (widget == allowed_ || allowed_->isAncestorOf(widget)));
    case QEvent::ShortcutOverride:
        // Taken as the widget's own key, so no menu shortcut fires; the key
        // press that follows is sorted above.
        event->accept();
        return true;
    case QEvent::Shortcut:
        return true;  // sent to actions and shortcuts, not to widgets
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return widget != nullptr;
    default:
        return false;
    }
}
