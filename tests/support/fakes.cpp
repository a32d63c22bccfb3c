// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes.h"

#include <QApplication>
#include <QFile>
#include <QWidget>
#include <utility>

void FakeMediaPlayer::setUrl(const QString &url)
{
    url_ = url;
    urls << url;
    nextUrl.clear();
    calls << QStringLiteral("setUrl ") + url;
    report(Transitioning);
}

void FakeMediaPlayer::setNextUrl(const QString &url)
{
    // Kept apart from `calls`: the player aims the next entry after nearly
    // every change, and the transport tests read what the user's commands do.
    nextUrl = url;
    nexts << url;
}

void FakeMediaPlayer::setReplayGain(ReplayGainMode mode, double preampDb, double fallbackDb)
{
    calls << QStringLiteral("gain %1 %2 %3").arg(int(mode)).arg(preampDb).arg(fallbackDb);
}

void FakeMediaPlayer::finish()
{
    if (nextUrl.isEmpty()) {
        report(Stopped);
        return;
    }
    url_ = std::exchange(nextUrl, {});
    urls << url_;
    if (observer)
        observer->engineAdvanced(url_);
}

void FakeMediaPlayer::play()
{
    ++plays;
    calls << QStringLiteral("play");
    report(stateAfterPlay);
}

void FakeMediaPlayer::pause()
{
    ++pauses;
    calls << QStringLiteral("pause");
    report(Paused);
}

void FakeMediaPlayer::stop()
{
    ++stops;
    calls << QStringLiteral("stop");
    report(Stopped);
}

void FakeMediaPlayer::report(PlayState s)
{
    const bool changed = state != s;
    state = s;
    if (changed && observer)
        observer->engineStateChanged(s);
}

void FakeMediaPlayer::reportTitle(const QString &title)
{
    titleTag = title;
    if (observer)
        observer->engineTagsChanged();
}

void FakeMediaPlayer::reportDecoderMissing(const QStringList &packages)
{
    if (observer)
        observer->engineDecoderMissing(url_, packages);
    report(Stopped);
}

void FakeMediaPlayer::seek(qint64 ms)
{
    seeks << ms;
    calls << QStringLiteral("seek %1").arg(ms);
    // Moves where a source is open, clamped to its length like an engine.
    if (state != Undefined && positionMs >= 0)
        positionMs = durationMs > 0 ? qBound<qint64>(0, ms, durationMs) : qMax<qint64>(0, ms);
}

void FakeDialogs::record(const Asked &a)
{
    asked << a;
    if (onAsk)
        onAsk(a);
}

Dialogs::Answer FakeDialogs::messageBox(const QString &text, const QString &title,
                                        Buttons buttons, Icon)
{
    record({QStringLiteral("message"), text, title, {}, buttons});
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
}

QString FakeDialogs::inputBox(const QString &prompt, const QString &title,
                              const QString &defaultText)
{
    record({QStringLiteral("input"), prompt, title, defaultText});
    return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
}

QString FakeDialogs::openFile(const QString &filter, const QString &proposedName)
{
    record({QStringLiteral("open"), filter, proposedName});
    return openAnswers.isEmpty() ? QString() : openAnswers.dequeue();
}

QStringList FakeDialogs::openFiles(const QString &filter)
{
    record({QStringLiteral("open"), filter, {}});
    return openManyAnswers.isEmpty() ? QStringList() : openManyAnswers.dequeue();
}

QString FakeDialogs::saveFile(const QString &filter, const QString &proposedName)
{
    record({QStringLiteral("save"), filter, proposedName});
    return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
}

std::optional<qint32> FakeDialogs::chooseColor()
{
    record({QStringLiteral("color")});
    return colorAnswers.isEmpty() ? std::nullopt : colorAnswers.dequeue();
}

QString FakeDialogs::browseForFolder(const QString &title, QWidget *)
{
    record({QStringLiteral("folder"), title});
    return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
}

int FakeDialogs::count(const QString &kind) const
{
    int n = 0;
    for (const Asked &a : asked)
        n += a.kind == kind;
    return n;
}

HttpClient::Response FakeHttpClient::get(const QString &url)
{
    requested << url;
    if (onGet)
        onGet(url);
    auto it = responses.constFind(url);
    if (it != responses.constEnd()) {
        if (maxBodyBytes > 0 && it->body.size() > maxBodyBytes) {
            Response r;
            r.error = Error::TooLarge;
            r.errorText = QStringLiteral("too large");
            return r;
        }
        return *it;
    }
    Response r;
    r.error = Error::Transport;
    r.errorText = QStringLiteral("no route to ") + url;
    return r;
}

HttpClient::Response FakeHttpClient::download(const QString &url, QIODevice &sink,
                                              qint64 maxBytes, const Progress &progress)
{
    const qint64 cap = maxBodyBytes;
    maxBodyBytes = maxBytes;
    Response r = get(url);
    maxBodyBytes = cap;
    if (r.ok() && r.status >= 200 && r.status <= 299) {
        if (sink.write(r.body) != r.body.size()) {
            r.error = Error::Transport;
            r.errorText = sink.errorString();
        } else if (progress) {
            progress(r.body.size(), r.body.size());
        }
    }
    r.body.clear();
    return r;
}

void FakeHttpClient::respond(const QString &url, const QByteArray &body, int status)
{
    Response r;
    r.status = status;
    r.body = body;
    responses.insert(url, r);
}

void FakeHttpClient::fail(const QString &url, Error error, const QString &text)
{
    Response r;
    r.error = error;
    r.errorText = text;
    responses.insert(url, r);
}

bool FakeDownloader::download(const QString &url, const QString &filePath, QString *errorText,
                              qint64 maxBytes, const Progress &progress)
{
    requested << url;
    auto it = files.constFind(url);
    if (it == files.constEnd() || it->size() > maxBytes) {
        if (errorText)
            *errorText = (it == files.constEnd() ? QStringLiteral("not found: ")
                                                  : QStringLiteral("too large: "))
                         + url;
        return false;
    }
    if (progress)
        progress(it->size(), it->size());
    QFile f(filePath);
    if (!f.open(QIODevice::WriteOnly) || f.write(*it) != it->size()) {
        if (errorText)
            *errorText = f.errorString();
        return false;
    }
    return true;
}

bool FakeProcessLauncher::startDetached(const QString &program, const QStringList &args,
                                        const QString &workingDir)
{
    started << Started{program, args, workingDir};
    return succeed;
}

QWidget *topLevelWindow(const QString &objectName)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == objectName)
            return w;
    }
    return nullptr;
}
