// SPDX-License-Identifier: GPL-3.0-or-later
#include "lyrics/lyricsfinder.h"

#include "collection/tagreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <memory>

namespace {

// "<base>.lrc" in `dir` with the extension in any case, tried name by name:
// eight look-ups cost less than listing a large music folder.
QString lrcIn(const QDir &dir, const QString &base)
{
    if (!dir.exists())
        return {};
    for (int mask = 0; mask < 8; ++mask) {
        QString ext = QStringLiteral("lrc");
        for (int i = 0; i < 3; ++i)
            if (mask & (1 << i))
                ext[i] = ext[i].toUpper();
        const QString path = dir.filePath(base + QLatin1Char('.') + ext);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

LyricsDocument readLrcFile(const QString &path)
{
    LyricsDocument doc;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcLyrics) << "cannot read" << path << file.errorString();
        doc.problem = QStringLiteral("无法读取歌词文件");
        return doc;
    }
    if (file.size() > kMaxLyricsBytes) {
        qCWarning(lcLyrics) << "refused:" << path << "has" << file.size() << "bytes, more than" << kMaxLyricsBytes;
        doc.problem = QStringLiteral("歌词文件过大，未能显示");
        return doc;
    }
    // Read one byte past the bound, so a file that grew since is refused too.
    doc = parseLyricsBytes(file.read(kMaxLyricsBytes + 1));
    return doc;
}

bool isWebAddress(const QString &path)
{
    return path.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || path.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

} // namespace

LyricsDocument findLyrics(const QString &songPath)
{
    if (songPath.isEmpty() || isWebAddress(songPath))
        return {};
    const QFileInfo song(songPath);
    const QString base = song.completeBaseName();
    const QDir dir = song.absoluteDir();
    LyricsDocument firstProblem;
    const QString candidates[] = {
        lrcIn(dir, base),
        lrcIn(QDir(dir.filePath(QStringLiteral("Lyrics"))), base),
        lrcIn(QDir(dir.filePath(QStringLiteral("lyrics"))), base),
    };
    for (const QString &path : candidates) {
        if (path.isEmpty())
            continue;
        LyricsDocument doc = readLrcFile(path);
        doc.source = path;
        if (!doc.isEmpty()) {
            qCDebug(lcLyrics).noquote() << "source" << path;
            return doc;
        }
        if (firstProblem.problem.isEmpty())
            firstProblem = doc;
    }
    const FileTags tags = readFileTags(songPath, TagPart::Lyrics);
    if (!tags.lyrics.trimmed().isEmpty()) {
        LyricsDocument doc = parseLyrics(tags.lyrics);
        doc.source = QStringLiteral("tag");
        if (!doc.isEmpty()) {
            qCDebug(lcLyrics).noquote() << "source tag" << songPath;
            return doc;
        }
        if (firstProblem.problem.isEmpty())
            firstProblem = doc;
    }
    return firstProblem;
}

LyricsLoader::LyricsLoader(QObject *parent) : QObject(parent) {}

LyricsLoader::~LyricsLoader()
{
    for (QThread *t : std::as_const(running_)) {
        t->wait();
        delete t;
    }
}

void LyricsLoader::load(const QString &songPath)
{
    const quint64 ticket = ++ticket_;
    auto result = std::make_shared<LyricsDocument>();
    QThread *thread = QThread::create([songPath, result] { *result = findLyrics(songPath); });
    running_ += thread;
    // The thread's finished signal arrives here queued, on the loader's thread.
    connect(thread, &QThread::finished, this, [this, thread, ticket, songPath, result] {
        running_.removeOne(thread);
        thread->deleteLater();
        if (ticket == ticket_)
            Q_EMIT loaded(songPath, *result);
    });
    thread->start(QThread::LowPriority);
}
