// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/gstplayer.h"

#include "engine/gstplugins.h"
#include "engine/missingplugins.h"
#include "engine/streamgate.h"
#include "engine/tagtext.h"
#include "engine/vorbiscomments.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <cmath>
#include <memory>
#include <unistd.h>
#include <utility>
#include <gst/gst.h>

Q_LOGGING_CATEGORY(lcEngine, "liravo.engine")

namespace {

// playbin's GstPlayFlags: audio only (the volume is the output's, withVolume).
constexpr int kPlayAudio = 0x2;

// The audio sink's buffer. The sound server asks for more sound in pieces that
// grow with the buffer a client keeps: with 400 ms instead of the default
// 200 ms the process wakes some 40 times a second while playing on
// PulseAudio, not 65-110. Pause corks the stream and a seek flushes it, so
// neither waits for the buffer to drain.
constexpr gint64 kSinkBufferUs = 400000;
constexpr gint64 kSinkSegmentUs = 10000;
// Batches in which the streaming threads fill the queues after a demuxer
// (compressed frames) and before the sink (decoded buffers of ~25 ms).
constexpr int kDemuxedHigh = 50;
constexpr int kDemuxedLow = 10;
constexpr int kDecodedHigh = 30;
constexpr int kDecodedLow = 10;

bool hasProperty(gpointer object, const char *name)
{
    return g_object_class_find_property(G_OBJECT_GET_CLASS(object), name) != nullptr;
}

bool initGstreamer()
{
    return GstPlugins::start(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
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

// The URI playbin is given for a source, or nothing when it is refused.
// Local paths become file URIs of absolute paths; web addresses are limited
// to the streaming schemes a music address can have, so no page can make the
// player read through some other protocol. Directories are refused.
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
    return QUrl::fromLocalFile(info.absoluteFilePath()).toEncoded();
}

// Whether the desktop could have somewhere to send sound: a sound server's
// socket or a sound card. Without either, probing outputs for each song only
// costs time and fills the terminal with the sound libraries' complaints.
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

GstElement *silentSink(bool untimed)
{
    GstElement *sink = gst_element_factory_make("fakesink", nullptr);
    if (sink)
        g_object_set(sink, "sync", untimed ? FALSE : TRUE, nullptr);
    return sink;
}

// A chain of elements as gst-launch-1.0 takes it, as one element.
GstElement *described(const QString &description)
{
    GError *error = nullptr;
    GstElement *bin = gst_parse_bin_from_description(description.toUtf8().constData(), TRUE, &error);
    if (!bin)
        qCWarning(lcEngine) << "cannot make" << description << ":" << (error ? error->message : "");
    g_clear_error(&error);
    return bin;
}

// The output behind a volume element of its own. playbin's soft volume
// (GST_PLAY_FLAG_SOFT_VOLUME) makes a new volume element for each song's audio
// chain, and GStreamer 1.22 never frees it: some 4 KiB a song, which a player
// left running for weeks cannot afford. Without that flag playbin hands its
// "volume" to the first element of the output that has one: this element, or
// the sound server's stream when its sink has a volume of its own (pulsesink),
// and this one then stays at 1.
GstElement *withVolume(GstElement *sink)
{
    GstElement *bin = gst_bin_new("output");
    GstElement *volume = gst_element_factory_make("volume", "outvolume");
    if (!volume) {
        gst_object_unref(bin);
        return sink;
    }
    gst_bin_add_many(GST_BIN(bin), volume, sink, nullptr);
    GstPad *in = gst_element_get_static_pad(volume, "sink");
    if (!gst_element_link(volume, sink)
        || !gst_element_add_pad(bin, gst_ghost_pad_new("sink", in))) {
        gst_object_unref(in);
        gst_object_unref(bin);
        return nullptr;
    }
    gst_object_unref(in);
    return bin;
}

// The desktop's output, chosen as autoaudiosink chooses (the audio sink of
// the highest rank that opens), but opened once: autoaudiosink opens its
// pick to try it, closes it and has it opened again, a second connection to
// the sound server each time the pipeline starts. The sink is handed over
// open (READY). Without one that opens, silence.
GstElement *desktopSink()
{
    GstElement *chosen = nullptr;
    for (const QString &name : GstPlugins::desktopSinks()) {
        GstElement *sink = gst_element_factory_make(name.toUtf8().constData(), nullptr);
        if (!sink)
            continue;
        gst_object_ref_sink(sink);
        if (gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS) {
            chosen = sink;
        } else {
            gst_element_set_state(sink, GST_STATE_NULL);
            gst_object_unref(sink);
        }
        if (chosen)
            break;
    }
    if (!chosen) {
        qCWarning(lcEngine) << "no audio output opens - playing silently";
        return silentSink(false);
    }
    if (hasProperty(chosen, "latency-time") && hasProperty(chosen, "buffer-time"))
        g_object_set(chosen, "buffer-time", kSinkBufferUs, "latency-time", kSinkSegmentUs, nullptr);
    // The caller takes it as a new element: the reference is handed on floating.
    g_object_force_floating(G_OBJECT(chosen));
    return chosen;
}

GstElement *makeSink(const GstPlayer::Options &o, bool silent)
{
    QString out = o.audioOutput.trimmed();
    if (silent || (out.isEmpty() && !soundOutputPossible()))
        out = QStringLiteral("null");
    if (out == QLatin1String("null"))
        return silentSink(o.untimed);
    if (out.isEmpty())
        return desktopSink();
    if (out.contains(u' ') || out.contains(u'!')) {
        if (GstElement *sink = described(out))
            return sink;
        qCWarning(lcEngine) << "playing silently";
        return silentSink(false);
    }
    GstElement *sink = gst_element_factory_make(out.toUtf8().constData(), nullptr);
    if (!sink)
        sink = gst_element_factory_make((out + QLatin1String("sink")).toUtf8().constData(), nullptr);
    if (!sink) {
        qCWarning(lcEngine) << "no audio output named" << out << "- playing silently";
        sink = silentSink(false);
    }
    return sink;
}

// Every audio sink playbin (or autoaudiosink inside it) adds gets the ring
// buffer sizes above before it opens the device.
void tuneAddedElement(GstBin *, GstBin *, GstElement *element, gpointer gatesPtr)
{
    auto *gates = static_cast<StreamGates *>(gatesPtr);
    GstElementFactory *factory = gst_element_get_factory(element);
    const char *kind = factory ? gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)) : "";
    if (hasProperty(element, "latency-time") && hasProperty(element, "buffer-time")) {
        g_object_set(element, "buffer-time", kSinkBufferUs, "latency-time", kSinkSegmentUs, nullptr);
    } else if (qstrcmp(kind, "decodebin") == 0) {
        // Room for the gate below: by default a demuxer's queue holds 5.
        g_object_set(element, "max-size-buffers", guint(kDemuxedHigh + 10), nullptr);
    } else if (qstrcmp(kind, "multiqueue") == 0) {
        gates->addMultiqueue(element, kDemuxedHigh, kDemuxedLow);
    } else if (qstrcmp(kind, "queue") == 0 && qstrcmp(GST_OBJECT_NAME(element), "aqueue") == 0) {
        // The queue before the sink, holding up to a second of sound.
        GstPad *in = gst_element_get_static_pad(element, "sink");
        GstPad *out = gst_element_get_static_pad(element, "src");
        gates->add(in, out, kDecodedHigh, kDecodedLow);
        gst_object_unref(in);
        gst_object_unref(out);
    }
}

void setUpSource(GstElement *, GstElement *source, gpointer)
{
    if (hasProperty(source, "timeout")) // souphttpsrc, in seconds
        g_object_set(source, "timeout", 15u, nullptr);
}

// The player's 0..100 on the cubic scale people hear as even steps.
double linearVolume(int volume0to100)
{
    const double v = volume0to100 / 100.0;
    return v * v * v;
}

// The loudness filter: ReplayGain's gain, never past full scale, and a soft
// limiter for the pre-amp's excess.
GstElement *makeGainFilter()
{
    return described(QStringLiteral("rgvolume name=gain headroom=0 ! rglimiter"));
}

// The URI of a source played without a gap: local files only. A web address
// may take seconds to answer, which would be a gap anyway and would hold the
// current song's streaming thread meanwhile.
QByteArray gaplessSourceFor(const QString &url)
{
    const QByteArray uri = sourceFor(url);
    return uri.startsWith("file:") ? uri : QByteArray();
}

QString tagText(const gchar *utf8)
{
    // Legacy GBK tags arrive widened byte by byte from Latin-1.
    return repairTagText(QByteArray(utf8)).trimmed();
}

} // namespace

bool GstPlayer::startLibraries(const QString &song)
{
    if (!initGstreamer())
        return false;
    GstPlugins::loadFor(song);
    return true;
}

GstPlayer::Options GstPlayer::optionsFromEnvironment()
{
    Options o;
    o.audioOutput = qEnvironmentVariable("LIRAVO_AO");
    return o;
}

GstPlayer::GstPlayer(const Options &options, QObject *parent)
    : QObject(parent), options_(options), gates_(std::make_unique<StreamGates>()),
      openLimit_(new QTimer(this))
{
    // The player waits for a song while it opens: one that never does must
    // not hold it for ever.
    openLimit_->setSingleShot(true);
    openLimit_->setInterval(options_.openLimitMs);
    connect(openLimit_, &QTimer::timeout, this, [this] {
        if (!active_ || loaded_ || state_ != Transitioning)
            return;
        qCWarning(lcEngine) << "cannot play" << url_ << ": it did not open within"
                            << options_.openLimitMs << "ms";
        dropPipeline(); // not trusted with the next source
        halt();
        setState(Stopped);
    });
}

GstPlayer::~GstPlayer()
{
    dropPipeline();
}

int GstPlayer::onBusMessage(GstBus *, GstMessage *msg, void *selfPtr)
{
    // On GStreamer's threads (or ours inside a state change): pass the few
    // messages that matter to our thread, marked with the source they
    // belong to, and drop the rest here. A sync handler that drops a message
    // owns it: the bus does not unref it, and every message left alive keeps
    // its element, and with it the song's whole decoder chain, alive.
    auto *self = static_cast<GstPlayer *>(selfPtr);
    std::shared_ptr<GstMessage> held(msg, [](GstMessage *m) { gst_message_unref(m); });
    switch (GST_MESSAGE_TYPE(msg)) {
    case GST_MESSAGE_STATE_CHANGED:
        if (!GST_IS_PIPELINE(GST_MESSAGE_SRC(msg)))
            return GST_BUS_DROP;
        break;
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_TAG:
    case GST_MESSAGE_BUFFERING:
    case GST_MESSAGE_ASYNC_DONE:
        break;
    case GST_MESSAGE_ELEMENT:
        // decodebin names what it found no decoder for before the error.
        if (!MissingPlugins::isMissingPluginMessage(msg))
            return GST_BUS_DROP;
        break;
    case GST_MESSAGE_STREAM_START: {
        // The sound of a source reached the output. Only a preloaded source's
        // start matters: it is taken here, in order with the messages around
        // it, so the start of the first source is never mistaken for it.
        QString url;
        {
            std::lock_guard lock(self->nextLock_);
            if (self->preloaded_.uri.isEmpty())
                return GST_BUS_DROP;
            url = std::exchange(self->preloaded_, {}).url;
        }
        const quint64 generation = self->generation_.load();
        QMetaObject::invokeMethod(
            self,
            [self, url, generation] {
                if (generation == self->generation_.load())
                    self->advance(url);
            },
            Qt::QueuedConnection);
        return GST_BUS_DROP;
    }
    default:
        return GST_BUS_DROP;
    }
    const quint64 generation = self->generation_.load();
    QMetaObject::invokeMethod(
        self,
        [self, held, generation] {
            if (generation == self->generation_.load())
                self->handle(held.get());
        },
        Qt::QueuedConnection);
    return GST_BUS_DROP;
}

void GstPlayer::onAboutToFinish(GstElement *playbin, void *selfPtr)
{
    // On the streaming thread that read the current source to its end; the
    // URI must be set before this returns for the next one to follow
    // without a gap.
    auto *self = static_cast<GstPlayer *>(selfPtr);
    std::lock_guard lock(self->nextLock_);
    if (self->next_.uri.isEmpty())
        return;
    g_object_set(playbin, "uri", self->next_.uri.constData(), nullptr);
    self->preloaded_ = std::exchange(self->next_, {});
}

void GstPlayer::clearNext()
{
    std::lock_guard lock(nextLock_);
    next_ = {};
    preloaded_ = {};
}

void GstPlayer::setNextUrl(const QString &url)
{
    Next next{url, gaplessSourceFor(url)};
    std::lock_guard lock(nextLock_);
    next_ = next.uri.isEmpty() ? Next{} : std::move(next);
}

void GstPlayer::advance(const QString &url)
{
    if (!active_)
        return;
    url_ = url;
    pendingSeek_ = -1;
    missingPackages_.clear();
    title_.clear();
    author_.clear();
    takeOwnTags(sourceFor(url));
    if (observer_)
        observer_->engineAdvanced(url);
}

void GstPlayer::takeOwnTags(const QByteArray &uri)
{
    // GStreamer drops Vorbis comments that are not UTF-8, as legacy Chinese
    // files carry them: the file's own comments stand until valid tags come.
    if (const QUrl source = QUrl::fromEncoded(uri); source.isLocalFile()) {
        const VorbisComments own = VorbisComments::fromFile(source.toLocalFile());
        title_ = own.title;
        author_ = own.artist;
    }
}

void GstPlayer::setReplayGain(ReplayGainMode mode, double preampDb, double fallbackDb)
{
    gainMode_ = mode;
    preampDb_ = qBound(-15.0, preampDb, 15.0);
    fallbackDb_ = qBound(-15.0, fallbackDb, 15.0);
    applyReplayGain();
}

void GstPlayer::applyReplayGain()
{
    if (gain_)
        g_object_set(gain_, "album-mode", gboolean(gainMode_ == ReplayGainMode::Album), "pre-amp",
                     preampDb_, "fallback-gain", fallbackDb_, nullptr);
}

bool GstPlayer::ensurePipeline()
{
    if (pipeline_)
        return true;
    if (!initGstreamer())
        return false;
    GstElement *p = gst_element_factory_make("playbin", "liravo");
    GstElement *sink = p ? makeSink(options_, silent_) : nullptr;
    if (sink)
        sink = withVolume(sink);
    if (!sink) {
        qCWarning(lcEngine) << "GStreamer lacks playbin or an audio sink; nothing will play";
        if (p)
            gst_object_unref(p);
        return false;
    }
    g_signal_connect(p, "deep-element-added", G_CALLBACK(tuneAddedElement), gates_.get());
    g_signal_connect(p, "source-setup", G_CALLBACK(setUpSource), nullptr);
    g_signal_connect(p, "about-to-finish", G_CALLBACK(&GstPlayer::onAboutToFinish), this);
    g_object_set(p, "flags", kPlayAudio, "audio-sink", sink, "volume",
                 linearVolume(volume_), nullptr);
    // No filter at all unless ReplayGain is on: nothing more to run per buffer.
    if (gainMode_ != ReplayGainMode::Off) {
        if (GstElement *filter = makeGainFilter()) {
            gain_ = gst_bin_get_by_name(GST_BIN(filter), "gain");
            g_object_set(p, "audio-filter", filter, nullptr);
            if (gain_)
                gst_object_unref(gain_); // the pipeline keeps it
            applyReplayGain();
        }
    }
    GstBus *bus = gst_element_get_bus(p);
    gst_bus_set_sync_handler(bus, reinterpret_cast<GstBusSyncHandler>(&GstPlayer::onBusMessage),
                             this, nullptr);
    gst_object_unref(bus);
    pipeline_ = p;
    return true;
}

void GstPlayer::dropPipeline()
{
    if (!pipeline_)
        return;
    gates_->release();
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    GstBus *bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline_);
    pipeline_ = nullptr;
    gain_ = nullptr;
    ++generation_;
    active_ = false;
    clearNext();
}

void GstPlayer::halt()
{
    // NULL rather than READY: an idle player keeps no sound server stream.
    // (READY between two songs saves nothing: playbin rebuilds its output
    // chain for each source and the sink reconnects either way.)
    // Once this returns no thread of the old source runs, so everything it
    // posted carries the previous generation.
    if (pipeline_ && active_) {
        gates_->release();
        gst_element_set_state(pipeline_, GST_STATE_NULL);
    }
    ++generation_;
    active_ = false;
    loaded_ = false;
    buffering_ = false;
    pendingSeek_ = -1;
    missingPackages_.clear();
    clearNext();
}

void GstPlayer::setState(PlayState state)
{
    if (state_ == state)
        return;
    state_ = state;
    if (observer_)
        observer_->engineStateChanged(state);
}

void GstPlayer::startSource()
{
    title_.clear();
    author_.clear();
    halt();
    const QByteArray uri = sourceFor(url_);
    if (pipeline_ && (gain_ != nullptr) != (gainMode_ != ReplayGainMode::Off))
        dropPipeline(); // ReplayGain was turned on or off
    if (uri.isEmpty() || !ensurePipeline()) {
        setState(Stopped);
        return;
    }
    g_object_set(pipeline_, "uri", uri.constData(), nullptr);
    active_ = true;
    takeOwnTags(uri);
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        halt();
        setState(Stopped);
        return;
    }
    openLimit_->start();
    setState(Transitioning);
}

void GstPlayer::setUrl(const QString &url)
{
    url_ = url;
    startSource();
}

void GstPlayer::play()
{
    switch (state_) {
    case Paused:
        if (active_) {
            if (!buffering_)
                gst_element_set_state(pipeline_, GST_STATE_PLAYING);
            if (!loaded_)
                openLimit_->start();
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

void GstPlayer::pause()
{
    switch (state_) {
    case Playing:
    case Buffering:
    case Waiting:
    case Transitioning:
        if (active_ && gst_element_set_state(pipeline_, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE)
            setState(Paused);
        return;
    default:
        return;
    }
}

void GstPlayer::stop()
{
    // The timer stops the player on every idle tick: cheap when nothing plays,
    // and "nothing open" stays that.
    if (state_ == Undefined)
        return;
    halt();
    setState(Stopped);
}

void GstPlayer::setVolume(int volume0to100)
{
    volume_ = qBound(0, volume0to100, 100);
    if (pipeline_)
        g_object_set(pipeline_, "volume", linearVolume(volume_), nullptr);
}

qint64 GstPlayer::position() const
{
    if (!active_)
        return -1;
    if (pendingSeek_ >= 0)
        return pendingSeek_;
    gint64 ns = -1;
    if (!gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0)
        return -1;
    return ns / GST_MSECOND;
}

qint64 GstPlayer::duration() const
{
    gint64 ns = -1;
    if (!active_ || !gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0)
        return -1;
    return ns / GST_MSECOND;
}

void GstPlayer::seek(qint64 ms)
{
    if (!active_ || state_ == Undefined || state_ == Stopped)
        return;
    // Without a known length the place is still kept within GStreamer's
    // clock, which counts nanoseconds in 64 bits.
    ms = qBound(qint64(0), ms, qint64(G_MAXINT64 / GST_MSECOND));
    if (const qint64 length = duration(); length >= 0)
        ms = qMin(ms, length);
    GstState current = GST_STATE_NULL;
    gst_element_get_state(pipeline_, &current, nullptr, 0);
    // Before the source is open there is nothing to seek in yet: it moves
    // there as soon as it is.
    if (current < GST_STATE_PAUSED || !loaded_)
        pendingSeek_ = ms;
    else
        applySeek(ms);
}

void GstPlayer::applySeek(qint64 ms)
{
    pendingSeek_ = -1;
    gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
                            GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            ms * GST_MSECOND);
}

void GstPlayer::takeTags(GstMessage *msg)
{
    GstTagList *tags = nullptr;
    gst_message_parse_tag(msg, &tags);
    if (!tags)
        return;
    const std::pair<const char *, QString *> wanted[] = {{GST_TAG_TITLE, &title_},
                                                         {GST_TAG_ARTIST, &author_}};
    bool changed = false;
    for (const auto &[name, tag] : wanted) {
        gchar *value = nullptr;
        if (gst_tag_list_get_string(tags, name, &value)) {
            const QString text = tagText(value);
            if (!text.isEmpty() && text != *tag) {
                *tag = text;
                changed = true;
            }
            g_free(value);
        }
    }
    gst_tag_list_unref(tags);
    if (changed && observer_)
        observer_->engineTagsChanged();
}

void GstPlayer::handle(GstMessage *msg)
{
    if (!active_)
        return;
    switch (GST_MESSAGE_TYPE(msg)) {
    case GST_MESSAGE_TAG:
        takeTags(msg);
        break;
    case GST_MESSAGE_ELEMENT: {
        qCInfo(lcEngine) << "GStreamer has no element for" << url_ << ":"
                         << gst_structure_get_string(gst_message_get_structure(msg), "name");
        for (const QString &package : MissingPlugins::packagesFor(msg)) {
            if (!missingPackages_.contains(package))
                missingPackages_ << package;
        }
        break;
    }
    case GST_MESSAGE_STATE_CHANGED: {
        GstState next = GST_STATE_NULL;
        gst_message_parse_state_changed(msg, nullptr, &next, nullptr);
        if (next != GST_STATE_PLAYING)
            break;
        loaded_ = true;
        if (buffering_)
            gst_element_set_state(pipeline_, GST_STATE_PAUSED);
        if (pendingSeek_ >= 0)
            applySeek(pendingSeek_);
        if (state_ == Transitioning)
            setState(buffering_ ? Buffering : Playing);
        break;
    }
    case GST_MESSAGE_ASYNC_DONE:
        // Open and paused: a seek asked for while opening can go now.
        loaded_ = loaded_ || state_ == Paused;
        if (pendingSeek_ >= 0 && loaded_)
            applySeek(pendingSeek_);
        break;
    case GST_MESSAGE_BUFFERING: {
        gint percent = 100;
        gst_message_parse_buffering(msg, &percent);
        const bool low = percent < 100;
        if (low == buffering_)
            break;
        buffering_ = low;
        if (state_ == Paused)
            break; // play() decides when it resumes
        // While the source opens, the pipeline is on its way to playing;
        // pausing and resuming it in the middle of that can leave it waiting
        // for ever. It pauses for the buffer once it plays.
        if (!loaded_)
            break;
        gst_element_set_state(pipeline_, low ? GST_STATE_PAUSED : GST_STATE_PLAYING);
        setState(low ? Buffering : Playing);
        break;
    }
    case GST_MESSAGE_EOS:
        halt();
        setState(Stopped);
        break;
    case GST_MESSAGE_ERROR: {
        GError *error = nullptr;
        gchar *debug = nullptr;
        gst_message_parse_error(msg, &error, &debug);
        GstObject *from = GST_MESSAGE_SRC(msg);
        const bool deviceFailed = error && error->domain == GST_RESOURCE_ERROR && !GST_IS_BIN(from)
                                  && GST_OBJECT_FLAG_IS_SET(from, GST_ELEMENT_FLAG_SINK);
        // Whichever of the errors that follow a missing decoder comes first.
        const bool noDecoder = (error
            && (g_error_matches(error, GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN)
                || g_error_matches(error, GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND)))
            || (!loaded_ && !missingPackages_.isEmpty());
        if (noDecoder && !loaded_ && GstPlugins::ffmpegLeftOut()) {
            // Only FFmpeg decodes this one: add its decoders and start over.
            g_clear_error(&error);
            g_free(debug);
            dropPipeline();
            qCInfo(lcEngine) << "no native decoder for" << url_ << "- adding FFmpeg's";
            GstPlugins::addFfmpegDecoders();
            startSource();
            return;
        }
        bool nextFailed = false;
        {
            std::lock_guard lock(nextLock_);
            nextFailed = !preloaded_.uri.isEmpty();
        }
        qCWarning(lcEngine) << "cannot play" << (nextFailed ? "the next song after" : "") << url_ << ":"
                            << (error ? error->message : "") << (debug ? debug : "");
        g_clear_error(&error);
        g_free(debug);
        if (nextFailed && !deviceFailed) {
            // The song handed on to follow this one failed; this one was read
            // to its end already and plays out what is queued. Then it ends
            // as if nothing had followed.
            const qint64 left = qMax<qint64>(0, duration() - qMax<qint64>(0, position()));
            QTimer::singleShot(left, this, [this, generation = generation_.load()] {
                if (generation != generation_.load())
                    return;
                dropPipeline();
                halt();
                setState(Stopped);
            });
            return;
        }
        // A pipeline that failed is not trusted with the next source.
        dropPipeline();
        if (deviceFailed && !silent_ && !loaded_) {
            // No sound device after all: play on silently rather than skip
            // every song.
            qCWarning(lcEngine) << "the audio output cannot be opened; playing silently";
            silent_ = true;
            startSource();
            return;
        }
        const QStringList packages = missingPackages_;
        halt();
        // The user can do something about this one: install a package.
        if (noDecoder && observer_)
            observer_->engineDecoderMissing(url_, packages);
        setState(Stopped);
        break;
    }
    default:
        break;
    }
}
