// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the lyrics windows for the documentation: the "歌词" window
// following a song whose GBK .lrc file beside it has translation lines, and
// the desktop lyrics over another window (half light, half dark, so the
// outline is seen on both), unlocked and locked. tools/screenshot_lyrics.sh
// builds and runs it.
//
//   liravo_lyrics_screenshots <output folder>
#include "ui/colors.h"
#include "base/settings.h"
#include "lyrics/lyricstracker.h"
#include "ui/leanstyle.h"
#include "store/memorysettingsbackend.h"
#include "windows/desktoplyrics.h"
#include "windows/lyricswindow.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

bool save(const QPixmap &pixmap, const QString &file)
{
    const bool ok = pixmap.save(file, "PNG");
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(file));
    return ok;
}

const char kLrc[] = "[ti:童话]\n[ar:光良]\n[by:Liravo]\n"
                    "[00:12.30]忽然之间天昏地暗\n[00:12.30]Suddenly the sky went dark\n"
                    "[00:18.10]世界可以忽然什么都没有\n[00:18.10]The world could suddenly hold nothing\n"
                    "[00:24.60]我想起了你 再想到自己\n[00:24.60]I think of you, then of myself\n"
                    "[00:31.00]我为什么总在非常脆弱的时候\n[00:31.00]Why is it that when I am weakest\n"
                    "[00:37.20]怀念你\n[00:37.20]I miss you\n"
                    "[00:43.80]\n"
                    "[00:45.00]朱镕基的葉子落了\n[00:45.00]The leaves fell\n"
                    "[00:51.40]我愿变成童话里\n[00:51.40]I would become the one in your fairy tale\n"
                    "[00:57.90]你爱的那个天使\n[00:57.90]the angel that you love\n";

// A stand-in for whatever window lies under the desktop lyrics.
QPixmap backdrop(QSize size)
{
    QPixmap px(size);
    QPainter p(&px);
    p.fillRect(QRect(0, 0, size.width() / 2, size.height()), QColor(0xF4, 0xF1, 0xEA));
    p.fillRect(QRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height()), QColor(0x1E, 0x2A, 0x38));
    QFont f = QApplication::font();
    f.setPixelSize(15);
    p.setFont(f);
    for (int y = 24; y < size.height(); y += 22) {
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawText(16, y, QStringLiteral("一个浅色的窗口：文档、网页或者表格里的文字 ……"));
        p.setPen(QColor(0xD0, 0xD8, 0xE0));
        p.drawText(size.width() / 2 + 16, y, QStringLiteral("一个深色的窗口：终端或者视频 ……"));
    }
    return px;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QApplication::setStyle(new LeanStyle(QApplication::style()->name()));
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("WenQuanYi Zen Hei")});
    QApplication::setFont(font);
    const QDir out(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());

    QTemporaryDir songs;
    const QString song = songs.filePath(QStringLiteral("童话.mp3"));
    QFile lrc(songs.filePath(QStringLiteral("童话.lrc")));
    QStringEncoder gbk("GB18030");
    if (!lrc.open(QIODevice::WriteOnly) || lrc.write(QByteArray(gbk.encode(QString::fromUtf8(kLrc)))) < 0)
        return 1;
    lrc.close();
    QFile(song).open(QIODevice::WriteOnly);

    MemorySettingsBackend backend;
    Settings settings(backend, QStringLiteral("Liravo"));
    qint64 position = 33000;
    LyricsTracker tracker([&position] { return position; });
    QEventLoop wait;
    QObject::connect(&tracker, &LyricsTracker::documentChanged, &wait, [&] {
        if (!tracker.document().isEmpty())
            wait.quit();
    });
    QTimer::singleShot(10000, &wait, &QEventLoop::quit);
    tracker.setSong(song);
    wait.exec();
    if (tracker.document().isEmpty()) {
        std::fprintf(stderr, "no lyrics found for %s\n", qPrintable(song));
        return 1;
    }
    tracker.setPlaying(true);

    bool ok = true;
    LyricsWindow window(tracker, settings);
    window.show();
    QTimer::singleShot(300, &wait, &QEventLoop::quit);
    wait.exec();
    ok = save(window.grab(), out.filePath(QStringLiteral("lyrics-window.png"))) && ok;

    DesktopLyrics desktop(tracker, settings);
    desktop.setSwitchedOn(true);
    desktop.resize(760, desktop.height());
    const QPixmap back = backdrop(QSize(820, desktop.height() + 60));
    for (bool locked : {false, true}) {
        desktop.setLocked(locked);
        QPixmap shot = back;
        QPainter p(&shot);
        desktop.render(&p, QPoint(30, 30), QRegion(), QWidget::DrawChildren);
        p.end();
        ok = save(shot, out.filePath(locked ? QStringLiteral("desktop-lyrics-locked.png")
                                            : QStringLiteral("desktop-lyrics.png"))) && ok;
    }
    return ok ? 0 : 1;
}
