// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qtdialogs.h"

#include "ui/colors.h"
#include "ui/dialogfilter.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>
#include <QInputDialog>
#include <QMessageBox>

QtDialogs::QtDialogs(bool nativeFileDialogs) : native_(nativeFileDialogs) {}

namespace {
// The chosen file or folder as an absolute clean path; empty on cancel.
QString runForOnePath(QFileDialog &dlg)
{
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return QDir::cleanPath(QFileInfo(dlg.selectedFiles().first()).absoluteFilePath());
}
// Qt's own file dialog opens too narrow for Chinese column texts: the size,
// type and date columns end in "…". They take the room their texts need, the
// name column the rest, and the dialog is made wide enough for that.
void showWholeColumns(QFileDialog &dlg)
{
    auto *view = dlg.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!view)
        return; // the desktop's own dialog
    QHeaderView *header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int col = 1; col < header->count(); ++col)
        header->setSectionResizeMode(col, QHeaderView::ResizeToContents);
    constexpr int kWidth = 760;
    dlg.resize(qMax(dlg.width(), kWidth), dlg.height());
}
} // namespace

QWidget *QtDialogs::owner() const
{
    // A question belongs over the window the user is working in (the song
    // list, the search window), and is centred on it; the chosen parent
    // serves when none of ours is known, e.g. while the player sits in the tray.
    if (QWidget *asking = asker_.lastWindow())
        return asking;
    QWidget *active = QApplication::activeWindow();
    if (active && active->windowType() != Qt::Popup && active->isVisible())
        return active;
    return parentWindow();
}

Dialogs::Answer QtDialogs::messageBox(const QString &text, const QString &title, Buttons buttons,
                                      Icon icon)
{
    QMessageBox box(owner());
    box.setWindowTitle(title);
    box.setText(text);
    // Dialogs::Icon names QMessageBox's icons in QMessageBox's order.
    static_assert(int(Icon::Question) == QMessageBox::Question && int(Icon::None) == QMessageBox::NoIcon);
    box.setIcon(QMessageBox::Icon(int(icon)));
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        // Closing the box or pressing Escape must not count as consent.
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

QString QtDialogs::inputBox(const QString &prompt, const QString &title,
                            const QString &defaultText)
{
    QInputDialog dlg(owner());
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setWindowTitle(title);
    dlg.setLabelText(prompt);
    dlg.setTextValue(defaultText);
    if (dlg.exec() != QDialog::Accepted)
        return QString();
    return dlg.textValue();
}

QString QtDialogs::runFileDialog(bool save, const QString &filter, const QString &proposedName)
{
    QFileDialog dlg(owner());
    QFileDialog::Options opts;
    if (!native_)
        opts |= QFileDialog::DontUseNativeDialog;
    if (save) {
        // Choosing an existing file to save over is not questioned.
        opts |= QFileDialog::DontConfirmOverwrite;
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    dlg.setOptions(opts);
    const QStringList filters = qtNameFilters(filter);
    if (!filters.isEmpty())
        dlg.setNameFilters(filters);
    // No default suffix: a name typed without an extension comes back as typed.
    dlg.setDefaultSuffix(QString());
    if (!proposedName.isEmpty())
        dlg.selectFile(proposedName);
    showWholeColumns(dlg);
    return runForOnePath(dlg);
}

QString QtDialogs::openFile(const QString &filter, const QString &proposedName)
{
    return runFileDialog(false, filter, proposedName);
}

QStringList QtDialogs::openFiles(const QString &filter)
{
    QFileDialog dlg(owner());
    if (!native_)
        dlg.setOptions(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    const QStringList filters = qtNameFilters(filter);
    if (!filters.isEmpty())
        dlg.setNameFilters(filters);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    QStringList paths;
    for (const QString &f : dlg.selectedFiles())
        paths << QDir::cleanPath(QFileInfo(f).absoluteFilePath());
    return paths;
}

QString QtDialogs::saveFile(const QString &filter, const QString &proposedName)
{
    return runFileDialog(true, filter, proposedName);
}

std::optional<qint32> QtDialogs::chooseColor()
{
    QColorDialog dlg(owner());
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    const QColor c = dlg.selectedColor();
    if (!c.isValid())
        return std::nullopt;
    return valueFromColor(c);
}

QString QtDialogs::browseForFolder(const QString &title, QWidget *ownerWindow)
{
    QFileDialog dlg(ownerWindow ? ownerWindow : owner());
    dlg.setWindowTitle(title);
    dlg.setFileMode(QFileDialog::Directory);
    QFileDialog::Options opts = QFileDialog::ShowDirsOnly;
    if (!native_)
        opts |= QFileDialog::DontUseNativeDialog;
    dlg.setOptions(opts);
    const QString folder = runForOnePath(dlg);
    // Only real folders count; anything else is as good as a cancel.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QString();
    return withoutTrailingSlash(folder);
}

QString QtDialogs::withoutTrailingSlash(const QString &folder)
{
    QString f = folder;
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    return f;
}
