// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own dialogs and standard buttons come out in Chinese once the start-up
// has installed the translations, whatever the locale the tests run under.
#include "desktop/qttranslations.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <functional>
#include <memory>

namespace {

// Every text a dialog shows: labels, buttons and its title.
QStringList textsOf(QWidget *w)
{
    QStringList out{w->windowTitle()};
    for (QLabel *l : w->findChildren<QLabel *>())
        out << l->text();
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        out << b->text();
    return out;
}

TEST(QtTranslations, BoxesAndDialogsShowChineseTexts)
{
    ASSERT_TRUE(installQtChineseTranslations(*qApp));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("是")));
    EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(QStringLiteral("否")));

    struct Case {
        const char *name;
        std::function<QDialog *()> make;
        QStringList english;
    };
    const std::vector<Case> cases = {
        {"open file",
         [] {
             auto *d = new QFileDialog;
             d->setOption(QFileDialog::DontUseNativeDialog);
             return d;
         },
         {QStringLiteral("Look in:"), QStringLiteral("File &name:"), QStringLiteral("Cancel"),
          QStringLiteral("Files of type:")}},
        {"colour", [] { return new QColorDialog; },
         {QStringLiteral("&Basic colors"), QStringLiteral("&Custom colors"),
          QStringLiteral("Cancel")}},
        {"input", [] { return new QInputDialog; },
         {QStringLiteral("Cancel"), QStringLiteral("OK")}},
    };
    for (const Case &c : cases) {
        std::unique_ptr<QDialog> d(c.make());
        d->show(); // some dialogs finish their widgets only when shown
        const QStringList shown = textsOf(d.get());
        for (const QString &english : c.english)
            EXPECT_FALSE(shown.contains(english)) << c.name << ": " << qPrintable(english);
        EXPECT_TRUE(shown.join(QString()).contains(QRegularExpression(QStringLiteral("\\p{Han}"))))
            << c.name;
    }
}

} // namespace
