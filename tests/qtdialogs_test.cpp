// SPDX-License-Identifier: GPL-3.0-or-later
// The real dialogs, driven through their own event loops: a timer finds the
// modal dialog once it is up and answers it the way a user would.
#include "ui/dialogfilter.h"
#include "ui/qtdialogs.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QStyle>
#include <QTreeView>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Watches (from inside the dialog's own loop) for a modal widget of type T
// and answers it once, the way a user would. Any modal message box that turns
// up over the answered dialog is rejected and counted, so an unexpected
// question fails the test instead of hanging it. The watch ends when the
// answered dialog has closed.
template <typename T>
struct Answerer {
    explicit Answerer(std::function<void(T *)> a) : answer(std::move(a))
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
    }
    void arm() { timer.start(10); }
    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (answered && (!dialog || !dialog->isVisible())) {
            timer.stop();
            return;
        }
        if (auto *t = qobject_cast<T *>(w); t && !answered) {
            answered = true;
            dialog = t;
            // Answered from a fresh event, so that a box the answer opens
            // (run in its own loop) still meets this watch's timer.
            QTimer::singleShot(0, t, [this, t] { answer(t); });
        } else if (auto *box = qobject_cast<QMessageBox *>(w); box && answered) {
            ++strayBoxes;
            box->reject();
        } else if (auto *d = qobject_cast<QDialog *>(w); d && ++idle > 300) {
            d->reject(); // never seen what was expected: give up, do not hang
        }
    }

    std::function<void(T *)> answer;
    QTimer timer;
    QPointer<T> dialog;
    int strayBoxes = 0;
    int idle = 0;
    bool answered = false;
};

// QFileDialog hides accept(); a user's OK reaches it through QDialog.
void accept(QDialog *d)
{
    d->accept();
}

// Types a name into the file dialog's name box, as a user would. (selectFile
// leaves the box alone once it has the focus.)
void type(QFileDialog *f, const QString &name)
{
    auto *edit = f->findChild<QLineEdit *>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

// Each file dialog test works in a fresh folder made the current one, so
// the dialogs open there; the old current folder comes back afterwards.
class QtDialogsFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        QDir::setCurrent(tmp.path());
        dir = QDir::current().absolutePath();
    }
    void TearDown() override { QDir::setCurrent(old); }

    const QString old = QDir::currentPath();
    QTemporaryDir tmp;
    QtDialogs d{false};
    QString dir;
};

} // namespace

TEST(DialogFilter, TranslatesThePlayersFilters)
{
    EXPECT_EQ(qtNameFilters("歌集文件|*.yyu"), QStringList{"歌集文件 (*.yyu)"});
    // A trailing ";" adds no empty pattern.
    EXPECT_EQ(qtNameFilters("音频文件|*.mp3;*.yyu;"), QStringList{"音频文件 (*.mp3 *.yyu)"});
    // A description that already names its patterns shows them once; other
    // brackets of its own stay, and Qt reads the last group.
    EXPECT_EQ(qtNameFilters("歌集(*.yyu)|*.yyu"), QStringList{"歌集(*.yyu)"});
    EXPECT_EQ(qtNameFilters("歌集 ( *.yyu; )|*.yyu"), QStringList{"歌集 ( *.yyu; )"});
    EXPECT_EQ(qtNameFilters("歌集(旧)|*.yyu"), QStringList{"歌集(旧) (*.yyu)"});
    EXPECT_EQ(qtNameFilters("歌集(*.yyu)|*.yyu;*.m3u"), QStringList{"歌集(*.yyu) (*.yyu *.m3u)"});
}

TEST(DialogFilter, OddShapes)
{
    EXPECT_TRUE(qtNameFilters("").isEmpty());
    EXPECT_TRUE(qtNameFilters("  ").isEmpty());
    EXPECT_EQ(qtNameFilters("A|*.a|B|*.b;*.c"), (QStringList{"A (*.a)", "B (*.b *.c)"}));
    // Missing or empty pattern lists match everything rather than nothing.
    EXPECT_EQ(qtNameFilters("全部"), QStringList{"全部 (*)"});
    EXPECT_EQ(qtNameFilters("全部|;;"), QStringList{"全部 (*)"});
    EXPECT_EQ(qtNameFilters("|*.mp3"), QStringList{"*.mp3 (*.mp3)"});
    EXPECT_EQ(qtNameFilters("音频 | *.mp3 ; *.yyu ;"), QStringList{"音频 (*.mp3 *.yyu)"});
}

TEST(DialogFilter, QtAcceptsTheTranslation)
{
    QFileDialog dlg;
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilters(qtNameFilters("音频文件|*.mp3;*.yyu;"));
    ASSERT_EQ(dlg.nameFilters().size(), 1);
    dlg.selectNameFilter(dlg.nameFilters().first());
    EXPECT_EQ(dlg.selectedNameFilter(), QString("音频文件 (*.mp3 *.yyu)"));
}

TEST_F(QtDialogsFiles, CancelGivesEmptyText)
{
    Answerer<QFileDialog> open{[](QFileDialog *f) { f->reject(); }};
    open.arm();
    EXPECT_EQ(d.openFile("歌集文件|*.yyu", ""), QString());
    EXPECT_TRUE(open.answered);

    // Cancelling a save dialog returns nothing, whatever name it proposed.
    Answerer<QFileDialog> save{[](QFileDialog *f) { f->reject(); }};
    save.arm();
    EXPECT_EQ(d.saveFile("yyu歌集文件|*.yyu", "Evening"), QString());
    EXPECT_TRUE(save.answered);

    Answerer<QFileDialog> folder{[](QFileDialog *f) { f->reject(); }};
    folder.arm();
    EXPECT_EQ(d.browseForFolder("文件夹选择", nullptr), QString());
    EXPECT_TRUE(folder.answered);
}

TEST_F(QtDialogsFiles, SaveReturnsTheProposedNameWithoutExtensionOrQuestion)
{
    // The dialog opens wherever Qt last left off; the proposed name is
    // checked as shown, then kept while moving to the test's folder.
    QStringList filters;
    QString proposed;
    auto answer = [&](QFileDialog *f) {
        filters = f->nameFilters();
        if (auto *edit = f->findChild<QLineEdit *>("fileNameEdit"))
            proposed = edit->text();
        type(f, dir + "/" + proposed);
        accept(f);
    };
    Answerer<QFileDialog> save{answer};
    save.arm();
    EXPECT_EQ(d.saveFile("yyu歌集文件|*.yyu", "Evening"), dir + "/Evening");
    EXPECT_EQ(proposed, QString("Evening"));
    EXPECT_EQ(filters, QStringList{"yyu歌集文件 (*.yyu)"});

    // An existing file is taken without asking whether to replace it.
    writeTestFile(dir + "/Evening");
    Answerer<QFileDialog> again{answer};
    again.arm();
    EXPECT_EQ(d.saveFile("yyu歌集文件|*.yyu", "Evening"), dir + "/Evening");
    EXPECT_EQ(again.strayBoxes, 0);
}

TEST_F(QtDialogsFiles, OpenReturnsTheChosenFullPath)
{
    writeTestFile(dir + "/晚上.yyu");
    Answerer<QFileDialog> open{[&](QFileDialog *dlg) {
        type(dlg, dir + "/晚上.yyu");
        accept(dlg);
    }};
    open.arm();
    EXPECT_EQ(d.openFile("歌集文件|*.yyu", ""), dir + "/晚上.yyu");
}

// The size, type and date columns show their whole texts (Chinese units and
// type names are wider than Qt's default column widths).
TEST_F(QtDialogsFiles, OpenDialogColumnsAreNotCutShort)
{
    writeTestFile(dir + "/夜色温柔.mp3", QByteArray(123456, 'x'));
    writeTestFile(dir + "/夜晚的歌.yyu", "x");
    QStringList cut;
    Answerer<QFileDialog> open{[&](QFileDialog *dlg) {
        auto *view = dlg->findChild<QTreeView *>("treeView");
        if (!view) {
            cut << "no detail view";
            dlg->reject();
            return;
        }
        if (!QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 2; }))
            cut << "the folder never loaded";
        QApplication::processEvents();
        // A cell needs its text and the style's margins on both sides.
        const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
            for (int col = 1; col < view->header()->count(); ++col) {
                const QString text = model->index(row, col, view->rootIndex()).data().toString();
                const int need = view->fontMetrics().horizontalAdvance(text) + margins;
                if (view->header()->sectionSize(col) < need)
                    cut << QString("%1 (%2 < %3)").arg(text).arg(view->header()->sectionSize(col)).arg(need);
            }
        dlg->reject();
    }};
    open.arm();
    EXPECT_EQ(d.openFile("音频文件|*.mp3;*.yyu", ""), QString());
    EXPECT_TRUE(cut.isEmpty()) << cut.join("; ").toStdString();
}

TEST_F(QtDialogsFiles, FolderComesBackWithoutTrailingSlash)
{
    ASSERT_TRUE(QDir(tmp.path()).mkdir("歌曲"));
    const QString target = QDir(tmp.path()).absoluteFilePath("歌曲");

    QString title;
    Answerer<QFileDialog> folder{[&](QFileDialog *f) {
        title = f->windowTitle();
        f->setDirectory(target);
        accept(f);
    }};
    folder.arm();
    EXPECT_EQ(d.browseForFolder("文件夹选择", nullptr), target);
    EXPECT_EQ(title, QString("文件夹选择"));

    EXPECT_EQ(QtDialogs::withoutTrailingSlash("/"), QString("/"));
    EXPECT_EQ(QtDialogs::withoutTrailingSlash("/music/"), QString("/music"));
    EXPECT_EQ(QtDialogs::withoutTrailingSlash("/music//"), QString("/music"));
    EXPECT_EQ(QtDialogs::withoutTrailingSlash("/music"), QString("/music"));
}

TEST(QtDialogsBoxes, InputBoxReturnsTypedTextOrEmptyOnCancel)
{
    QtDialogs d(false);
    QString prompt, title, shownDefault;
    Answerer<QInputDialog> typed{[&](QInputDialog *in) {
        prompt = in->labelText();
        title = in->windowTitle();
        shownDefault = in->textValue();
        in->setTextValue("晚风");
        in->accept();
    }};
    typed.arm();
    EXPECT_EQ(d.inputBox("请输入歌曲的名称", "名称", "旧名"), QString("晚风"));
    EXPECT_EQ(prompt, QString("请输入歌曲的名称"));
    EXPECT_EQ(title, QString("名称"));
    EXPECT_EQ(shownDefault, QString("旧名"));

    // Cancel gives the empty text even though a default was offered.
    Answerer<QInputDialog> cancelled{[](QInputDialog *in) { in->reject(); }};
    cancelled.arm();
    EXPECT_EQ(d.inputBox("请输入歌曲的名称", "名称", "旧名"), QString());
}

TEST(QtDialogsBoxes, MessageBoxReportsTheButton)
{
    QtDialogs d(false);
    QString text, title;
    Answerer<QMessageBox> yes{[&](QMessageBox *b) {
        text = b->text();
        title = b->windowTitle();
        b->button(QMessageBox::Yes)->click();
    }};
    yes.arm();
    EXPECT_EQ(d.messageBox("当前歌集尚未保存，是否舍去当前歌集？", "未保存", Dialogs::Buttons::YesNo),
              Dialogs::Answer::Yes);
    EXPECT_EQ(text, QString("当前歌集尚未保存，是否舍去当前歌集？"));
    EXPECT_EQ(title, QString("未保存"));

    // Closing a question without choosing is a No.
    Answerer<QMessageBox> closed{[](QMessageBox *b) { b->reject(); }};
    closed.arm();
    EXPECT_EQ(d.messageBox("?", "未保存", Dialogs::Buttons::YesNo), Dialogs::Answer::No);

    bool hasNo = true;
    Answerer<QMessageBox> ok{[&](QMessageBox *b) {
        hasNo = b->button(QMessageBox::No) != nullptr;
        b->accept();
    }};
    ok.arm();
    EXPECT_EQ(d.messageBox("已经保存！", "保存"), Dialogs::Answer::Ok);
    EXPECT_FALSE(hasNo);
}

TEST(QtDialogsBoxes, ColourInStoredLayoutOrNothing)
{
    QtDialogs d(false);
    Answerer<QColorDialog> pick{[](QColorDialog *c) {
        c->setCurrentColor(QColor(0x12, 0x34, 0x56));
        c->accept();
    }};
    pick.arm();
    const std::optional<qint32> chosen = d.chooseColor();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, 0x563412); // red in the low byte

    Answerer<QColorDialog> cancel{[](QColorDialog *c) { c->reject(); }};
    cancel.arm();
    EXPECT_FALSE(d.chooseColor().has_value());
}

TEST(QtDialogsBoxes, QuestionsSitCentredOnTheWindowTheUserLastUsed)
{
    QtDialogs d(false);
    QWidget main, list, search;
    d.setParentWindow(&main);
    const QList<QPair<QWidget *, QRect>> places = {
        {&main, {40, 60, 430, 220}}, {&list, {520, 60, 300, 280}}, {&search, {100, 400, 400, 290}}};
    for (const auto &p : places) {
        p.first->setGeometry(p.second);
        p.first->show();
    }
    // Without a window manager the last window shown stays "active", whichever
    // the user works in.
    search.activateWindow();
    struct Step {
        QWidget *used;   // where the user clicked or typed; null: nowhere yet
        bool byKey;
        QWidget *expected;
    };
    const Step steps[] = {{nullptr, false, &main}, {&list, false, &list}, {&main, true, &main},
                          {&list, true, &list}};
    for (const Step &s : steps) {
        if (s.used && s.byKey)
            QTest::keyClick(s.used, Qt::Key_Shift);
        else if (s.used)
            QTest::mouseClick(s.used, Qt::LeftButton);
        QWidget *owner = nullptr;
        QPoint centre;
        Answerer<QMessageBox> a{[&](QMessageBox *box) {
            owner = box->parentWidget();
            centre = box->geometry().center();
            box->reject();
        }};
        a.arm();
        d.messageBox("问题", "Liravo", Dialogs::Buttons::YesNo);
        EXPECT_EQ(owner, s.expected);
        EXPECT_LE((centre - s.expected->geometry().center()).manhattanLength(), 4);
    }
}
