// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// While it lives, the user's input reaches no widget but `allowed` (a cancel
// button): a long wait can run a nested event loop that lets input through
// and still no click or key starts anything else. Esc inside `window`, or the
// window's close box, calls onCancel instead. A modal dialog opened
// meanwhile takes input as usual.
class InputGate : public QObject {
public:
    InputGate(QWidget *window, QWidget *allowed, std::function<void()> onCancel);
    ~InputGate() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> window_;
    QPointer<QWidget> allowed_;
    std::function<void()> onCancel_;
};
