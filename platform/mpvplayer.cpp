#include "platform/mpvplayer.h"

#include "platform/tagtext.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMetaObject>
#include <QUrl>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>
#include <dlfcn.h>
#include <unistd.h>
#include <mpv/client.h>

// The few libmpv entry points the player uses, resolved at run time so that
// the executable does not map libmpv and its nearly two hundred libraries
// (some 50 MiB resident once playing) until the first source is set.
struct MpvApi {
    decltype(&mpv_create) create;
    decltype(&mpv_initialize) initialize;
    decltype(&mpv_terminate_destroy) terminateDestroy;
    decltype(&mpv_set_option_string) setOptionString;
    decltype(&mpv_set_property) setProperty;
    decltype(&mpv_get_property) getProperty;
    decltype(&mpv_command) command;
    decltype(&mpv_command_ret) commandRet;
    decltype(&mpv_free_node_contents) freeNodeContents;
    decltype(&mpv_observe_property) observeProperty;
    decltype(&mpv_wait_event) waitEvent;
    decltype(&mpv_set_wakeup_callback) setWakeupCallback;
    decltype(&mpv_hook_add) hookAdd;
    decltype(&mpv_hook_continue) hookContinue;
};

namespace {

// Loaded once per library name for the life of the process: libmpv starts
// threads of its own, so it is never unloaded.
const MpvApi *loadApi(const QString &library)
{
    static QHash<QString, const MpvApi *> loaded;
    if (auto it = loaded.constFind(library); it != loaded.constEnd())
        return *it;
    const MpvApi *result = nullptr;
    void *lib = dlopen(library.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        std::fprintf(stderr, "Liravo: cannot load %s (%s); nothing will play\n",
                     qPrintable(library), dlerror());
    } else {
        auto *api = new MpvApi;
        bool ok = true;
        auto get = [&](auto &fn, const char *name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            ok = ok && fn;
        };
        get(api->create, "mpv_create");
        get(api->initialize, "mpv_initialize");
        get(api->terminateDestroy, "mpv_terminate_destroy");
        get(api->setOptionString, "mpv_set_option_string");
        get(api->setProperty, "mpv_set_property");
        get(api->getProperty, "mpv_get_property");
        get(api->command, "mpv_command");
        get(api->commandRet, "mpv_command_ret");
        get(api->freeNodeContents, "mpv_free_node_contents");
        get(api->observeProperty, "mpv_observe_property");
        get(api->waitEvent, "mpv_wait_event");
        get(api->setWakeupCallback, "mpv_set_wakeup_callback");
        get(api->hookAdd, "mpv_hook_add");
        get(api->hookContinue, "mpv_hook_continue");
        if (ok) {
            result = api;
        } else {
            std::fprintf(stderr, "Liravo: %s lacks the functions the player needs; nothing will play\n",
                         qPrintable(library));
            delete api;
        }
    }
    loaded.insert(library, result);
    return result;
}

bool isWebAddress(const QString &url, QString *scheme)
{
    const qsizetype sep = url.indexOf(QLatin1String("://"));
    if (sep <= 0)
        return false;
    for (qsizetype i = 0; i < sep; ++i) {
        const QChar c = url[i];
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    *scheme = url.left(sep).toLower();
    return true;
}

// What libmpv is given for a source, or nothing when the source is refused.
// Local paths go as absolute paths so that no file name is ever read as one
// of libmpv's own protocols ("-", "fd://", "edl://", ...); web addresses are
// limited to the streaming schemes a music address can have. A directory is
// refused: libmpv would make it a playlist of its own and play on through it.
QByteArray sourceFor(const QString &url)
{
    QString path = url;
    QString scheme;
    if (isWebAddress(url, &scheme)) {
        static const QStringList web = {"http", "https", "ftp", "mms", "mmsh", "rtsp"};
        if (web.contains(scheme)) {
            // Addresses scraped from pages may carry blanks or Chinese text
            // as they are; the request line needs them percent-encoded.
            // Escapes already present are kept.
            const QUrl address(url, QUrl::TolerantMode);
            return address.isValid() ? address.toEncoded() : QByteArray();
        }
        if (scheme != QLatin1String("file"))
            return {};
        path = QUrl(url).toLocalFile();
    }
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return {};
    return QFile::encodeName(info.absoluteFilePath());
}

// Whether the desktop could have somewhere to send sound: a sound server's
// socket or a sound card. Without either, probing every output for each song
// only costs time and fills the terminal with the sound libraries' complaints.
bool soundOutputPossible()
{
    if (qEnvironmentVariableIsSet("PULSE_SERVER") || qEnvironmentVariableIsSet("PIPEWIRE_REMOTE"))
        return true;
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) // where the sound servers look themselves
        runtime = QStringLiteral("/run/user/%1").arg(getuid());
    if (QFileInfo::exists(runtime + QLatin1String("/pulse/native"))
        || QFileInfo::exists(runtime + QLatin1String("/pipewire-0")))
        return true;
    return !QDir(QStringLiteral("/dev/snd")).entryList({QStringLiteral("pcm*")}, QDir::System).isEmpty();
}

QString nodeText(const mpv_node &node)
{
    if (node.format != MPV_FORMAT_STRING || !node.u.string)
        return {};
    // libmpv passes tag bytes through unchecked; legacy tags are not UTF-8.
    return repairTagText(QByteArray(node.u.string)).trimmed();
}

} // namespace

MpvPlayer::Options MpvPlayer::optionsFromEnvironment()
{
    Options o;
    o.audioOutput = qEnvironmentVariable("LIRAVO_AO");
    o.untimed = qEnvironmentVariable("LIRAVO_AO_UNTIMED") == QLatin1String("1");
    if (qEnvironmentVariableIsSet("LIRAVO_LIBMPV"))
        o.library = qEnvironmentVariable("LIRAVO_LIBMPV");
    return o;
}

MpvPlayer::MpvPlayer(QObject *parent)
    : MpvPlayer(optionsFromEnvironment(), parent)
{
}

MpvPlayer::MpvPlayer(const Options &options, QObject *parent)
    : QObject(parent), options_(options)
{
}

MpvPlayer::~MpvPlayer()
{
    if (handle_) {
        // After this returns libmpv calls wakeup() no more; queued drains
        // die with this object.
        api_->setWakeupCallback(handle_, nullptr, nullptr);
        api_->terminateDestroy(handle_);
    }
}

void MpvPlayer::wakeup(void *self)
{
    // Called on one of libmpv's threads: only hand the work to ours, and post
    // at most one drain at a time however many events arrive.
    auto *player = static_cast<MpvPlayer *>(self);
    if (!player->wakeupPending_.exchange(true))
        QMetaObject::invokeMethod(player, [player] { player->drainEvents(); }, Qt::QueuedConnection);
}

bool MpvPlayer::ensureEngine()
{
    if (handle_)
        return true;
    if (engineFailed_)
        return false;
    engineFailed_ = true; // until proven otherwise; said once on stderr
    api_ = loadApi(options_.library);
    if (!api_)
        return false;
    // mpv_create refuses to run unless LC_NUMERIC is exactly "C", and
    // QApplication sets it from the user's environment (zh_CN.UTF-8).
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle *h = api_->create();
    if (!h) {
        std::fprintf(stderr, "Liravo: the audio engine could not be created; nothing will play\n");
        return false;
    }
    const QByteArray volume = QByteArray::number(volume_);
    const std::pair<const char *, const char *> settings[] = {
        {"config", "no"},            // no user mpv.conf, scripts or watch-later
        {"terminal", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"vid", "no"},               // cover art and video tracks are not shown
        {"audio-display", "no"},
        {"idle", "yes"},             // stay alive between sources
        {"keep-open", "no"},
        {"resume-playback", "no"},
        {"input-default-bindings", "no"},
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"network-timeout", "15"},
        {"audio-fallback-to-null", "yes"}, // no sound device: still play, silently
        {"audio-client-name", "Liravo"},
        {"volume", volume.constData()},
    };
    for (const auto &[name, value] : settings)
        api_->setOptionString(h, name, value);
    if (!options_.audioOutput.isEmpty())
        api_->setOptionString(h, "ao", options_.audioOutput.toUtf8().constData());
    else if (!soundOutputPossible())
        api_->setOptionString(h, "ao", "null");
    // The silent output (chosen, or fallen back to) takes sound in bursts of
    // 93 ms instead of 6 ms: a fifth less CPU while playing, and its 0.2 s
    // buffer keeps songs ending on time.
    api_->setOptionString(h, "ao-null-outburst", "4096");
    if (options_.untimed)
        api_->setOptionString(h, "ao-null-untimed", "yes");
    if (api_->initialize(h) < 0) {
        std::fprintf(stderr, "Liravo: the audio engine could not be started; nothing will play\n");
        api_->terminateDestroy(h);
        return false;
    }
    api_->observeProperty(h, 0, "paused-for-cache", MPV_FORMAT_FLAG);
    // Streams may deliver their tags after the file counts as loaded; the
    // value travels with the event, so it is not lost if the song is
    // already over when the event is read.
    api_->observeProperty(h, 0, "metadata", MPV_FORMAT_NODE);
    // A short song (or a fast null output) can be over before its events are
    // read, and its tags with it: the engine waits at this point of every
    // load until the tags have been taken.
    api_->hookAdd(h, 0, "on_preloaded", 0);
    handle_ = h;
    engineFailed_ = false;
    api_->setWakeupCallback(h, &MpvPlayer::wakeup, this);
    return true;
}

void MpvPlayer::setState(int state)
{
    if (state_ == state)
        return;
    state_ = state;
    Q_EMIT stateChanged(state);
}

bool MpvPlayer::setPause(bool paused)
{
    int flag = paused ? 1 : 0;
    return api_->setProperty(handle_, "pause", MPV_FORMAT_FLAG, &flag) >= 0;
}

void MpvPlayer::stopEngineNow()
{
    const char *cmd[] = {"stop", nullptr};
    api_->command(handle_, cmd);
}

void MpvPlayer::haltEngine()
{
    if (handle_ && activeEntry_)
        stopEngineNow();
    activeEntry_ = 0;
    loaded_ = false;
    buffering_ = false;
}

void MpvPlayer::startSource()
{
    title_.clear();
    author_.clear();
    const QByteArray source = sourceFor(url_);
    if (source.isEmpty() || !ensureEngine()) {
        haltEngine();
        setState(Stopped);
        return;
    }
    activeEntry_ = 0;
    loaded_ = false;
    buffering_ = false;
    // A pause is a property of the engine, not of the source: without this a
    // source set while paused would open and sit there.
    setPause(false);
    const char *cmd[] = {"loadfile", source.constData(), "replace", nullptr};
    mpv_node result{};
    if (api_->commandRet(handle_, cmd, &result) < 0) {
        stopEngineNow();
        setState(Stopped);
        return;
    }
    qint64 entry = 0;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            const mpv_node &v = result.u.list->values[i];
            if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 && v.format == MPV_FORMAT_INT64)
                entry = v.u.int64;
        }
    }
    api_->freeNodeContents(&result);
    if (entry == 0) {
        // Older libmpv does not say; "replace" left our source alone in the list.
        int64_t id = 0;
        if (api_->getProperty(handle_, "playlist/0/id", MPV_FORMAT_INT64, &id) >= 0)
            entry = id;
    }
    if (entry == 0) {
        // Without its entry the source's end could not be told from a stale
        // one, and the timer would wait for it forever.
        stopEngineNow();
        setState(Stopped);
        return;
    }
    activeEntry_ = entry;
    setState(Transitioning);
}

void MpvPlayer::setUrl(const QString &url)
{
    url_ = url;
    startSource();
}

void MpvPlayer::play()
{
    switch (state_) {
    case Paused:
        if (activeEntry_ && setPause(false)) {
            setState(!loaded_ ? Transitioning : buffering_ ? Buffering : Playing);
            return;
        }
        startSource();
        return;
    case Stopped:
    case Ready:
        // After an end or a stop: from the beginning.
        startSource();
        return;
    default:
        return; // nothing open, or already on its way
    }
}

void MpvPlayer::pause()
{
    switch (state_) {
    case Playing:
    case Buffering:
    case Waiting:
    case Transitioning:
        if (activeEntry_ && setPause(true))
            setState(Paused);
        return;
    default:
        return;
    }
}

void MpvPlayer::stop()
{
    // The timer stops the player on every idle tick: cheap when nothing plays,
    // and "nothing open" stays that.
    if (state_ == Undefined)
        return;
    haltEngine();
    setState(Stopped);
}

void MpvPlayer::setVolume(int volume0to100)
{
    volume_ = qBound(0, volume0to100, 100);
    if (handle_) {
        double v = volume_;
        api_->setProperty(handle_, "volume", MPV_FORMAT_DOUBLE, &v);
    }
}

// Only a source that is open has a position; libmpv keeps answering for a
// stopped one until its end event has been read.
qint64 MpvPlayer::position() const
{
    if (!loaded_ || !activeEntry_)
        return -1;
    const double s = engineNumber("time-pos");
    return std::isnan(s) || s < 0 ? -1 : qint64(s * 1000.0 + 0.5);
}

qint64 MpvPlayer::duration() const
{
    if (!loaded_ || !activeEntry_)
        return -1;
    const double s = engineNumber("duration");
    return std::isnan(s) || s <= 0 ? -1 : qint64(s * 1000.0 + 0.5);
}

void MpvPlayer::seek(qint64 ms)
{
    if (!loaded_ || !activeEntry_)
        return;
    qint64 target = qMax<qint64>(0, ms);
    const qint64 length = duration();
    if (length > 0)
        target = qMin(target, length);
    const QByteArray seconds = QByteArray::number(double(target) / 1000.0, 'f', 3);
    const char *cmd[] = {"seek", seconds.constData(), "absolute", nullptr};
    api_->command(handle_, cmd);
}

double MpvPlayer::engineNumber(const char *name) const
{
    double v = 0;
    if (!handle_ || api_->getProperty(handle_, name, MPV_FORMAT_DOUBLE, &v) < 0)
        return std::numeric_limits<double>::quiet_NaN();
    return v;
}

bool MpvPlayer::engineCommand(const QList<QByteArray> &args)
{
    if (!handle_)
        return false;
    std::vector<const char *> argv;
    for (const QByteArray &a : args)
        argv.push_back(a.constData());
    argv.push_back(nullptr);
    return api_->command(handle_, argv.data()) >= 0;
}

void MpvPlayer::takeTags(const mpv_node &meta)
{
    if (meta.format != MPV_FORMAT_NODE_MAP)
        return;
    for (int i = 0; i < meta.u.list->num; ++i) {
        const QByteArray key = QByteArray(meta.u.list->keys[i]).toLower();
        QString *tag = key == "title" ? &title_ : key == "artist" ? &author_ : nullptr;
        if (!tag)
            continue;
        const QString text = nodeText(meta.u.list->values[i]);
        if (!text.isEmpty())
            *tag = text;
    }
}

void MpvPlayer::readTags()
{
    mpv_node meta{};
    if (api_->getProperty(handle_, "metadata", MPV_FORMAT_NODE, &meta) < 0)
        return;
    takeTags(meta);
    api_->freeNodeContents(&meta);
}

void MpvPlayer::drainEvents()
{
    wakeupPending_.store(false);
    if (!handle_)
        return;
    for (;;) {
        mpv_event *ev = api_->waitEvent(handle_, 0);
        if (!ev || ev->event_id == MPV_EVENT_NONE)
            break;
        switch (ev->event_id) {
        case MPV_EVENT_START_FILE:
            startedEntry_ = static_cast<mpv_event_start_file *>(ev->data)->playlist_entry_id;
            break;
        case MPV_EVENT_HOOK: {
            const auto *hook = static_cast<mpv_event_hook *>(ev->data);
            if (activeEntry_ && startedEntry_ == activeEntry_)
                readTags();
            api_->hookContinue(handle_, hook->id);
            break;
        }
        case MPV_EVENT_FILE_LOADED:
            // Belongs to the latest start-file; events arrive in order.
            if (startedEntry_ != activeEntry_ || !activeEntry_ || loaded_)
                break;
            loaded_ = true;
            readTags();
            if (state_ == Transitioning)
                setState(buffering_ ? Buffering : Playing);
            break;
        case MPV_EVENT_END_FILE: {
            const auto *end = static_cast<mpv_event_end_file *>(ev->data);
            if (!activeEntry_ || end->playlist_entry_id != activeEntry_)
                break; // the source a new one replaced, or one already stopped
            if (end->reason == MPV_END_FILE_REASON_REDIRECT) {
                // A playlist or directory expanded in place of the source.
                // The player holds one source, so it is refused like any
                // other that does not play.
                haltEngine();
            }
            activeEntry_ = 0;
            loaded_ = false;
            buffering_ = false;
            setState(Stopped);
            break;
        }
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto *prop = static_cast<mpv_event_property *>(ev->data);
            if (qstrcmp(prop->name, "metadata") == 0) {
                if (prop->format == MPV_FORMAT_NODE && activeEntry_ && startedEntry_ == activeEntry_)
                    takeTags(*static_cast<mpv_node *>(prop->data));
                break;
            }
            if (qstrcmp(prop->name, "paused-for-cache") != 0 || prop->format != MPV_FORMAT_FLAG)
                break;
            buffering_ = *static_cast<int *>(prop->data) != 0;
            if (loaded_ && activeEntry_ && (state_ == Playing || state_ == Buffering))
                setState(buffering_ ? Buffering : Playing);
            break;
        }
        case MPV_EVENT_SHUTDOWN:
            // The engine quit under us (nothing here asks it to). It would
            // answer every further wait with this event: let it go, and
            // start a fresh one with the next source.
            api_->setWakeupCallback(handle_, nullptr, nullptr);
            api_->terminateDestroy(handle_);
            handle_ = nullptr;
            activeEntry_ = 0;
            loaded_ = false;
            buffering_ = false;
            if (state_ != Undefined)
                setState(Stopped);
            return;
        default:
            break;
        }
    }
}
