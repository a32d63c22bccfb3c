// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QPointer>

class QWidget;

// Remembers which of the program's windows the user last pressed a mouse
// button or a key in: a question that a command asks belongs over the window
// the command came from. Which window is "active" is no guide without a
// window manager, where it stays whichever was shown last. Input to a dialog
// does not count, so a second question lands where the first one did.
class InputWindowTracker : public QObject {
    Q_OBJECT
public:
    // Watches every widget's input from now on.
    explicit InputWindowTracker(QObject *parent = nullptr);

    // The window, or null when none is known or it is no longer shown.
    QWidget *lastWindow() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> last_;
};
