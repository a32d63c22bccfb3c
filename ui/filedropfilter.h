// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QStringList>
#include <functional>

// Lets a window take local files dropped on it: accepts drags that carry
// files and hands the dropped paths, in order, to `onDrop`.
class FileDropFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QStringList &)>;
    FileDropFilter(QWidget *window, Handler onDrop);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler onDrop_;
};
