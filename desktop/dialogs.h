// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <optional>

class QWidget;

// The modal dialogs every window uses. QtDialogs is the real one; tests use
// FakeDialogs, which answers from a queue and records what was asked.
class Dialogs {
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Answer { Ok, Yes, No };

    virtual ~Dialogs() = default;

    virtual Answer messageBox(const QString &text, const QString &title = QStringLiteral("Liravo"),
                              Buttons buttons = Buttons::Ok, Icon icon = Icon::None) = 0;
    // Returns the typed text, or the empty text when the user cancels.
    virtual QString inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
    // filter: "description|pattern;pattern" (a trailing ";" is accepted).
    // Both return the chosen full path, or the empty text on cancel.
    virtual QString openFile(const QString &filter, const QString &proposedName) = 0;
    // Several existing files at once; empty when cancelled.
    virtual QStringList openFiles(const QString &filter) = 0;
    virtual QString saveFile(const QString &filter, const QString &proposedName) = 0;
    // A colour with red in the low byte, then green, then blue; nothing on cancel.
    virtual std::optional<qint32> chooseColor() = 0;
    // The chosen folder's full path without a trailing "/" (except "/" itself),
    // or the empty text on cancel.
    virtual QString browseForFolder(const QString &title, QWidget *owner) = 0;

    // The window the dialogs are centred on; may be null.
    void setParentWindow(QWidget *w) { parent_ = w; }
    QWidget *parentWindow() const { return parent_; }

private:
    QWidget *parent_ = nullptr;
};
