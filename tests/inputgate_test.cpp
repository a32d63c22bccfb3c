// SPDX-License-Identifier: GPL-3.0-or-later
// While a gate stands, only the cancel button, Esc, the close box and a
// modal dialog opened meanwhile take the user's input.
#include "ui/inputgate.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

TEST(InputGate, OnlyTheWayOutAndModalDialogsGetInput)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *text = new QLineEdit;
    auto *other = new QPushButton(QStringLiteral("other"));
    auto *cancel = new QPushButton(QStringLiteral("cancel"));
    for (QWidget *w : {static_cast<QWidget *>(text), static_cast<QWidget *>(other),
                       static_cast<QWidget *>(cancel)})
        layout->addWidget(w);
    window.show();
    QApplication::setActiveWindow(&window);
    text->setFocus();
    int cancels = 0, others = 0, cancelClicks = 0;
    QObject::connect(other, &QPushButton::clicked, [&] { ++others; });
    QObject::connect(cancel, &QPushButton::clicked, [&] { ++cancelClicks; });

    {
        InputGate gate(&window, cancel, [&] { ++cancels; });
        QTest::mouseClick(other, Qt::LeftButton);
        QTest::keyClicks(text, QStringLiteral("abc"));
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTest::keyClick(text, Qt::Key_Escape);
        EXPECT_EQ(others, 0);
        EXPECT_EQ(text->text(), QString());
        EXPECT_EQ(cancelClicks, 1);
        EXPECT_EQ(cancels, 1);

        // A message box shown during the wait can be answered.
        QDialog box(&window);
        auto *ok = new QPushButton(QStringLiteral("OK"), &box);
        QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
        QTimer::singleShot(100, [&] { QTest::mouseClick(ok, Qt::LeftButton); });
        QTimer::singleShot(3000, &box, &QDialog::reject);  // the test must not hang
        EXPECT_EQ(box.exec(), QDialog::Accepted);
    }
    // Gone with the gate.
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_EQ(others, 1);
}
