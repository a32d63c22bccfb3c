// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "desktop/dialogs.h"
#include "ui/inputwindowtracker.h"

// The modal dialogs on Qt widgets. Every dialog runs its own event loop and
// returns only when the user has answered, as the windows expect.
class QtDialogs : public Dialogs {
public:
    // nativeFileDialogs: let the platform theme supply the file and folder
    // dialogs where it can; off, Qt's own widgets are used (tests drive them).
    explicit QtDialogs(bool nativeFileDialogs = true);

    Answer messageBox(const QString &text, const QString &title = QStringLiteral("Liravo"),
                      Buttons buttons = Buttons::Ok, Icon icon = Icon::None) override;
    QString inputBox(const QString &prompt, const QString &title,
                     const QString &defaultText) override;
    QString openFile(const QString &filter, const QString &proposedName) override;
    QStringList openFiles(const QString &filter) override;
    QString saveFile(const QString &filter, const QString &proposedName) override;
    std::optional<qint32> chooseColor() override;
    QString browseForFolder(const QString &title, QWidget *owner) override;

    // The folder's path as the callers want it: no trailing "/" except for "/".
    static QString withoutTrailingSlash(const QString &folder);

private:
    QWidget *owner() const;
    QString runFileDialog(bool save, const QString &filter, const QString &proposedName);

    bool native_;
    InputWindowTracker asker_;
};
