// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/sessionfile.h"

#include "base/atomicwrite.h"
#include "collection/fileexists.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcSession, "liravo.session")

constexpr int kVersion = 1;
const QString kFormat = QStringLiteral("liravo-session");

// Positions are kept in ms; a week is far beyond any song and keeps the
// value well inside what a double (JSON's number) holds exactly.
constexpr qint64 kMaxPositionMs = qint64(7) * 24 * 3600 * 1000;

QString tooNew() { return QStringLiteral("文件来自更新版本的 Liravo"); }

std::optional<QString> stringField(const QJsonObject &o, const QString &key)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined())
        return QString();
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

std::optional<bool> boolField(const QJsonObject &o, const QString &key)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined())
        return false;
    if (!v.isBool())
        return std::nullopt;
    return v.toBool();
}

// A whole number in [0, max], or nothing.
std::optional<qint64> countField(const QJsonObject &o, const QString &key, qint64 max)
{
    const QJsonValue v = o.value(key);
    if (v.isUndefined())
        return 0;
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!(d >= 0 && d <= double(max)) || d != double(qint64(d)))
        return std::nullopt;
    return qint64(d);
}

std::optional<SessionState> fail(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return std::nullopt;
}

} // namespace

QString sessionFilePath()
{
    // The state home must be absolute; a relative one is to be ignored.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/liravo/session");
}

QByteArray serializeSession(const SessionState &state)
{
    const SongCollection &c = state.collection;
    QJsonArray entries;
    for (int i = 1; i <= c.count; ++i) {
        const SongEntry &e = c.entry(i);
        entries.append(QJsonObject{{QStringLiteral("name"), e.songName},
                                   {QStringLiteral("singer"), e.singer},
                                   {QStringLiteral("address"), e.address},
                                   {QStringLiteral("local"), e.isLocal}});
    }
    const QJsonObject collection{{QStringLiteral("album"), c.albumName},
                                 {QStringLiteral("path"), c.filePath},
                                 {QStringLiteral("saved"), c.saved},
                                 {QStringLiteral("changed"), c.changed},
                                 {QStringLiteral("current"), int(c.currentIndex)},
                                 {QStringLiteral("entries"), entries}};
    const QJsonObject root{{QStringLiteral("format"), kFormat},
                           {QStringLiteral("version"), kVersion},
                           {QStringLiteral("collection"), collection},
                           {QStringLiteral("positionMs"), double(qBound<qint64>(0, state.positionMs, kMaxPositionMs))},
                           {QStringLiteral("playMode"), state.mode.text()}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<SessionState> parseSession(QByteArrayView bytes, QString *why)
{
    if (bytes.size() > kMaxSessionBytes)
        return fail(why, QStringLiteral("文件过大"));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return fail(why, QStringLiteral("文件已损坏"));
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != kFormat)
        return fail(why, QStringLiteral("不是 Liravo 的播放状态文件"));
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() < 1)
        return fail(why, QStringLiteral("文件已损坏"));
    if (version.toDouble() > kVersion)
        return fail(why, tooNew());

    const QJsonValue collectionValue = root.value(QStringLiteral("collection"));
    if (!collectionValue.isObject())
        return fail(why, QStringLiteral("文件已损坏"));
    const QJsonObject co = collectionValue.toObject();
    const QJsonValue entriesValue = co.value(QStringLiteral("entries"));
    if (!entriesValue.isArray() && !entriesValue.isUndefined())
        return fail(why, QStringLiteral("文件已损坏"));
    const QJsonArray entries = entriesValue.toArray();
    if (entries.size() > SongCollection::kCapacity)
        return fail(why, QStringLiteral("歌曲超过 %1 首").arg(SongCollection::kCapacity));

    SessionState state;
    SongCollection &c = state.collection;
    for (const QJsonValue &v : entries) {
        if (!v.isObject())
            return fail(why, QStringLiteral("文件已损坏"));
        const QJsonObject o = v.toObject();
        const auto name = stringField(o, QStringLiteral("name"));
        const auto singer = stringField(o, QStringLiteral("singer"));
        const auto address = stringField(o, QStringLiteral("address"));
        const auto isLocal = boolField(o, QStringLiteral("local"));
        if (!name || !singer || !address || !isLocal)
            return fail(why, QStringLiteral("文件已损坏"));
        c.entries[std::size_t(c.count++)] = SongEntry{*name, *address, *singer, *isLocal};
    }
    const auto album = stringField(co, QStringLiteral("album"));
    const auto path = stringField(co, QStringLiteral("path"));
    const auto saved = boolField(co, QStringLiteral("saved"));
    const auto changed = boolField(co, QStringLiteral("changed"));
    const auto current = countField(co, QStringLiteral("current"), c.count);
    const auto position = countField(root, QStringLiteral("positionMs"), kMaxPositionMs);
    const auto mode = stringField(root, QStringLiteral("playMode"));
    if (!album || !path || !saved || !changed || !current || !position || !mode)
        return fail(why, QStringLiteral("文件已损坏"));
    c.albumName = *album;
    c.filePath = *path;
    c.saved = *saved;
    c.changed = *changed;
    c.currentIndex = qint16(*current);
    state.positionMs = *position;
    // A missing mode is the default one; an unknown text is kept as it is,
    // as the settings keep it.
    if (!mode->isEmpty())
        state.mode = PlayMode::fromText(*mode);
    return state;
}

namespace {

QString setAside(const QString &path)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".bad-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".bad-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(path, target)) {
        qCWarning(lcSession) << "cannot rename" << path << "to" << target;
        return {};
    }
    return target;
}

SessionLoad refuse(const QString &path, const QString &why)
{
    qCWarning(lcSession).noquote() << "session file" << path << "not used:" << why;
    const QString aside = setAside(path);
    SessionLoad load;
    if (aside.isEmpty()) {
        load.error = QStringLiteral("上次的播放状态无法恢复（%1）。\n文件“%2”也无法改名，请手动移走它。")
                         .arg(why, QDir::toNativeSeparators(path));
    } else {
        load.error = QStringLiteral("上次的播放状态无法恢复（%1）。\n原文件已改名为“%2”。")
                         .arg(why, QDir::toNativeSeparators(aside));
    }
    return load;
}

} // namespace

SessionLoad readSessionFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return refuse(path, QStringLiteral("无法读取：%1").arg(file.errorString()));
    // One byte past the limit is enough to know the file is too large, even
    // one that grows while it is read.
    const QByteArray bytes = file.read(kMaxSessionBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(path, QStringLiteral("无法读取：%1").arg(file.errorString()));
    file.close();
    QString why;
    std::optional<SessionState> state = parseSession(bytes, &why);
    if (!state)
        return refuse(path, why);
    SessionLoad load;
    const SongCollection &c = state->collection;
    for (int i = 1; i <= c.count; ++i) {
        if (c.entry(i).isLocal && !fileExists(c.entry(i).address))
            load.missing.append(i);
    }
    load.state = std::move(state);
    return load;
}

bool writeSessionFile(const SessionState &state, QString *error, const QString &path)
{
    // The folder holds what the user listened to: for the user's eyes only.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        QDir().mkpath(QFileInfo(folder).absolutePath());
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    if (!QFileInfo(folder).isDir()) {
        *error = QStringLiteral("无法创建文件夹“%1”").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QString why;
    if (!writeAtomically(path, serializeSession(state), &why)) {
        *error = QStringLiteral("播放状态没有保存到“%1”：%2").arg(QDir::toNativeSeparators(path), why);
        return false;
    }
    return true;
}

SessionSaver::SessionSaver(std::function<SessionState()> source, QString path, int delayMs,
                           QObject *parent)
    : QObject(parent), source_(std::move(source)), path_(std::move(path))
{
    timer_.setSingleShot(true);
    timer_.setInterval(delayMs);
    connect(&timer_, &QTimer::timeout, this, &SessionSaver::saveNow);
}

void SessionSaver::changed()
{
    if (!timer_.isActive())
        timer_.start();
}

bool SessionSaver::saveNow()
{
    timer_.stop();
    QString error;
    const bool ok = writeSessionFile(source_(), &error, path_);
    if (!ok) {
        qCWarning(lcSession).noquote() << error;
        if (!lastFailed_)
            Q_EMIT saveFailed(error);
    }
    lastFailed_ = !ok;
    return ok;
}
