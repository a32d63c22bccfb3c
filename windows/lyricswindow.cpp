// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/lyricswindow.h"

#include "ui/colors.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "lyrics/lyricstracker.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

constexpr int kTranslationRole = Qt::UserRole + 1;
constexpr int kCurrentRole = Qt::UserRole + 2;
constexpr int kGap = 6;

// A line in the list: its text, the translation in a smaller, dimmer font
// under it, and the current line in the highlight colour and bold.
class LineDelegate : public QStyledItemDelegate {
public:
    LineDelegate(QColor text, QColor current, QColor dim, QObject *parent)
        : QStyledItemDelegate(parent), text_(text), current_(current), dim_(dim) {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (const QVariant fixed = index.data(Qt::SizeHintRole); fixed.isValid())
            return fixed.toSize(); // the blank rows around the lines
        const QFontMetrics main(lineFont(option.font, true));
        int h = main.height() + kGap;
        if (!index.data(kTranslationRole).toString().isEmpty())
            h += QFontMetrics(translationFont(option.font)).height();
        return {option.rect.width(), h};
    }

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool current = index.data(kCurrentRole).toBool();
        const QString translation = index.data(kTranslationRole).toString();
        QRect r = option.rect.adjusted(8, kGap / 2, -8, 0);
        p->save();
        const QFont main = lineFont(option.font, current);
        p->setFont(main);
        p->setPen(current ? current_ : text_);
        const QFontMetrics fm(main);
        const int lineH = QFontMetrics(lineFont(option.font, true)).height();
        p->drawText(QRect(r.left(), r.top(), r.width(), lineH), Qt::AlignCenter,
                    fm.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, r.width()));
        if (!translation.isEmpty()) {
            const QFont small = translationFont(option.font);
            p->setFont(small);
            p->setPen(current ? current_ : dim_);
            const QFontMetrics sm(small);
            p->drawText(QRect(r.left(), r.top() + lineH, r.width(), sm.height()), Qt::AlignCenter,
                        sm.elidedText(translation, Qt::ElideRight, r.width()));
        }
        p->restore();
    }

private:
    static QFont lineFont(QFont f, bool current)
    {
        f.setBold(current);
        return f;
    }
    static QFont translationFont(QFont f)
    {
        f.setPointSizeF(f.pointSizeF() * 0.85);
        return f;
    }

    QColor text_, current_, dim_;
};

} // namespace

LyricsWindow::LyricsWindow(LyricsTracker &tracker, Settings &settings, QWidget *parent)
    : QWidget(parent, Qt::Window), tracker_(tracker), pages_(new QStackedWidget(this)),
      none_(new QLabel(this)), list_(new QListWidget(this))
{
    setObjectName(QStringLiteral("f_歌词"));
    setWindowTitle(QStringLiteral("歌词"));
    resize(360, 480);
    QFont f = font();
    f.setFamilies(cjkFontFamilies());
    f.setPointSize(11);
    setFont(f);
    applyStoredBackColor(this, settings);

    // Other lines dimmed; the current one in the desktop lyrics' colour or
    // the window text colour, whichever reads on the back colour, else in
    // full contrast.
    const QColor back = palette().color(QPalette::Window);
    QColor current = textColorOn(back);
    for (const SettingKey *key : {&SettingKeys::desktopLyricsColor, &SettingKeys::fontColor}) {
        const QColor c = colorFromValue(qint32(settings.number(*key)));
        if (readableOn(c, back) == c) {
            current = c;
            break;
        }
    }
    const QColor dim = dimTextOn(back);
    list_->setItemDelegate(new LineDelegate(dim, current, dim, list_));
    QPalette pal = list_->palette();
    pal.setColor(QPalette::Base, back);
    list_->setPalette(pal);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // the wheel still scrolls
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    none_->setAlignment(Qt::AlignCenter);
    none_->setWordWrap(true);
    pages_->addWidget(none_);
    pages_->addWidget(list_);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);

    handPause_.setSingleShot(true);
    handPause_.setInterval(kHandScrollPauseMs);
    connect(&handPause_, &QTimer::timeout, this, [this] { showCurrent(current_); });
    // actionTriggered comes from the user only (wheel, drag, arrows, page
    // clicks), never from the window's own scrolling.
    connect(list_->verticalScrollBar(), &QScrollBar::actionTriggered, &handPause_,
            qOverload<>(&QTimer::start));
    list_->viewport()->installEventFilter(this);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        const LyricsDocument &doc = tracker_.document();
        const int row = list_->row(item) - 1; // after the spacer
        if (doc.synced && row >= 0 && row < doc.lines.size()) {
            handPause_.stop();
            Q_EMIT seekRequested(doc.lines[row].timeMs);
        }
    });
    connect(&tracker_, &LyricsTracker::documentChanged, this, &LyricsWindow::showDocument);
    connect(&tracker_, &LyricsTracker::currentLineChanged, this, &LyricsWindow::showCurrent);
    showDocument();
}

void LyricsWindow::showDocument()
{
    const LyricsDocument &doc = tracker_.document();
    list_->clear();
    current_ = -1;
    handPause_.stop();
    if (doc.isEmpty()) {
        // Nothing while the lyrics are being looked for, so a song that has
        // some does not flash "暂无歌词" first.
        none_->setText(tracker_.isLoading() ? QString()
                       : doc.problem.isEmpty() ? QStringLiteral("暂无歌词") : doc.problem);
        pages_->setCurrentWidget(none_);
        return;
    }
    // Blank rows of half the height before and after the lines, so the
    // first and the last line can stand in the middle too.
    auto spacer = [this] {
        auto *item = new QListWidgetItem(list_);
        item->setFlags(Qt::NoItemFlags);
        item->setSizeHint(QSize(1, list_->viewport()->height() / 2));
    };
    spacer();
    for (const LyricsLine &line : doc.lines) {
        auto *item = new QListWidgetItem(line.text, list_);
        item->setData(kTranslationRole, line.translation);
        if (line.timeMs >= 0)
            item->setToolTip(QStringLiteral("%1:%2").arg(line.timeMs / 60000).arg(
                line.timeMs / 1000 % 60, 2, 10, QLatin1Char('0')));
    }
    spacer();
    pages_->setCurrentWidget(list_);
    list_->scrollToTop();
    showCurrent(tracker_.currentLine());
}

bool LyricsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list_->viewport() && event->type() == QEvent::Resize && list_->count() >= 2) {
        const QSize half(1, list_->viewport()->height() / 2);
        list_->item(0)->setSizeHint(half);
        list_->item(list_->count() - 1)->setSizeHint(half);
        QTimer::singleShot(0, this, [this] {
            if (!handPause_.isActive())
                showCurrent(current_);
        });
    }
    return QWidget::eventFilter(watched, event);
}

void LyricsWindow::showCurrent(int line)
{
    if (current_ >= 0)
        if (QListWidgetItem *old = list_->item(current_ + 1))
            old->setData(kCurrentRole, false);
    current_ = line;
    QListWidgetItem *item = line >= 0 && line + 2 < list_->count() ? list_->item(line + 1) : nullptr;
    if (!item) {
        if (!handPause_.isActive() && list_->count())
            list_->scrollToTop();
        return;
    }
    item->setData(kCurrentRole, true);
    if (!handPause_.isActive())
        list_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
}
