// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/gstplugins.h"

#include "base/ownfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <cstring>
#include <gst/gst.h>

Q_DECLARE_LOGGING_CATEGORY(lcEngine)

#ifndef LIRAVO_GST_PLUGIN_DIR
#define LIRAVO_GST_PLUGIN_DIR "/usr/lib/x86_64-linux-gnu/gstreamer-1.0"
#endif

namespace {

// Everything a song or a radio address can need: sources, type finding,
// demuxers and tag readers, parsers, audio decoders, conversion and the
// sound servers' sinks. Names absent here are simply not installed.
constexpr const char *kSoundPlugins[] = {
    "coreelements", "typefindfunctions", "playback", "audioconvert", "audioresample", "volume",
    "autodetect", "pulseaudio", "pipewire", "alsa", "replaygain",
    "soup", "gio", "rtsp", "rtp", "rtpmanager", "udp", "tcp", "mms",
    "audioparsers", "id3demux", "apetag", "icydemux", "isomp4", "ogg", "matroska", "asf",
    "wavparse", "aiff", "realmedia", "rawparse",
    "mpg123", "flac", "faad", "fdkaac", "vorbis", "opus", "wavpack", "speex", "a52dec", "dtsdec",
    "amrnb", "amrwbdec", "musepack", "adpcmdec", "mulaw", "alaw", "dvdlpcmdec"};

bool leftOut = false; // FFmpeg's plugin is outside the registry

QString systemPlugin(const char *name)
{
    return QStringLiteral(LIRAVO_GST_PLUGIN_DIR "/libgst%1.so").arg(QLatin1String(name));
}

// The private plugin directory, its links brought up to date.
bool linkSoundPlugins(const QString &dir)
{
    int linked = 0;
    for (const char *name : kSoundPlugins) {
        const QString target = systemPlugin(name);
        const QString link = dir + QStringLiteral("/libgst%1.so").arg(QLatin1String(name));
        if (!QFileInfo::exists(target))
            continue;
        if (QFileInfo(link).symLinkTarget() != target) {
            QFile::remove(link);
            if (!QFile::link(target, link))
                continue;
        }
        ++linked;
    }
    return linked > 0;
}

bool userChosePlugins()
{
    return qEnvironmentVariableIsSet("GST_PLUGIN_SYSTEM_PATH_1_0")
           || qEnvironmentVariableIsSet("GST_PLUGIN_SYSTEM_PATH")
           || qEnvironmentVariableIsSet("GST_REGISTRY_1_0") || qEnvironmentVariableIsSet("GST_REGISTRY");
}

// Native decoders first: FFmpeg's (gst-libav) would otherwise win for MP3
// and AAC and bring its whole library family into the process. They stay
// for what nothing else decodes.
void rankDecoders()
{
    GstRegistry *registry = gst_registry_get();
    for (const char *name : {"mpg123audiodec", "flacdec", "vorbisdec", "opusdec", "faad"}) {
        if (GstPluginFeature *f = gst_registry_lookup_feature(registry, name)) {
            gst_plugin_feature_set_rank(f, GST_RANK_PRIMARY + 1);
            gst_object_unref(f);
        }
    }
    GList *ffmpeg = gst_registry_get_feature_list_by_plugin(registry, "libav");
    for (GList *l = ffmpeg; l; l = l->next) {
        auto *f = GST_PLUGIN_FEATURE(l->data);
        if (gst_plugin_feature_get_rank(f) > GST_RANK_MARGINAL)
            gst_plugin_feature_set_rank(f, GST_RANK_MARGINAL);
    }
    gst_plugin_feature_list_free(ffmpeg);
}

bool init()
{
    GError *error = nullptr;
    if (gst_init_check(nullptr, nullptr, &error))
        return true;
    qCWarning(lcEngine) << "GStreamer could not start:" << (error ? error->message : "");
    g_clear_error(&error);
    return false;
}

bool startOnSoundPlugins(const QString &cacheHome)
{
    if (userChosePlugins())
        return init();
    // Links and a registry go only into a folder of the player's own: never
    // through a link someone put in its place, never into another user's.
    QString why;
    const QString plugins = ensureOwnFolder(cacheHome, QStringLiteral("liravo/gstreamer-1.0/plugins"), &why);
    if (plugins.isEmpty()) {
        qCWarning(lcEngine) << "starting GStreamer without the player's plugin cache:" << why;
        return init();
    }
    const QString cacheDir = QFileInfo(plugins).path();
    if (!linkSoundPlugins(plugins))
        return init();
    // Read by GStreamer (and the scanner it may spawn) only while it starts;
    // taken back afterwards so that no program started later inherits them.
    qputenv("GST_PLUGIN_SYSTEM_PATH_1_0", QFile::encodeName(plugins));
    qputenv("GST_REGISTRY_1_0", QFile::encodeName(cacheDir + QStringLiteral("/registry.bin")));
    const bool ok = init();
    qunsetenv("GST_PLUGIN_SYSTEM_PATH_1_0");
    qunsetenv("GST_REGISTRY_1_0");
    if (ok) {
        GstPlugin *ffmpeg = gst_registry_find_plugin(gst_registry_get(), "libav");
        leftOut = !ffmpeg;
        if (ffmpeg)
            gst_object_unref(ffmpeg);
    }
    return ok;
}

} // namespace

bool GstPlugins::start(const QString &cacheHome)
{
    static const bool ok = [&] {
        if (!(cacheHome.isEmpty() ? init() : startOnSoundPlugins(cacheHome)))
            return false;
        rankDecoders();
        return true;
    }();
    return ok;
}

QStringList GstPlugins::desktopSinks()
{
    QStringList names;
    GList *sinks = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_MARGINAL);
    sinks = g_list_sort(sinks, gst_plugin_feature_rank_compare_func);
    for (GList *l = sinks; l; l = l->next) {
        auto *factory = GST_ELEMENT_FACTORY(l->data);
        const char *klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
        if (klass && strstr(klass, "Sink") && strstr(klass, "Audio"))
            names << QString::fromUtf8(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)));
    }
    gst_plugin_feature_list_free(sinks);
    return names;
}

QStringList GstPlugins::pluginsFor(const QString &song)
{
    QStringList names = {QStringLiteral("coreelements"), QStringLiteral("typefindfunctions"),
                         QStringLiteral("playback"), QStringLiteral("audioconvert"),
                         QStringLiteral("audioresample"), QStringLiteral("volume")};
    if (const QStringList sinks = desktopSinks(); !sinks.isEmpty()) {
        GstPluginFeature *sink = gst_registry_lookup_feature(gst_registry_get(), sinks.first().toUtf8().constData());
        if (sink) {
            if (const gchar *plugin = gst_plugin_feature_get_plugin_name(sink))
                names << QString::fromUtf8(plugin);
            gst_object_unref(sink);
        }
    }

    // AAC has a native decoder only where faad is installed.
    GstPluginFeature *faad = gst_registry_lookup_feature(gst_registry_get(), "faad");
    const QString aac = faad ? QStringLiteral("faad") : QStringLiteral("libav");
    if (faad)
        gst_object_unref(faad);
    const QString ext = QFileInfo(song).suffix().toLower();
    if (ext == QLatin1String("mp3"))
        names << QStringLiteral("id3demux") << QStringLiteral("audioparsers") << QStringLiteral("mpg123");
    else if (ext == QLatin1String("flac"))
        names << QStringLiteral("audioparsers") << QStringLiteral("flac");
    else if (ext == QLatin1String("wav"))
        names << QStringLiteral("wavparse");
    else if (ext == QLatin1String("ogg") || ext == QLatin1String("oga"))
        names << QStringLiteral("ogg") << QStringLiteral("vorbis");
    else if (ext == QLatin1String("opus"))
        names << QStringLiteral("ogg") << QStringLiteral("opus");
    else if (ext == QLatin1String("m4a"))
        names << QStringLiteral("isomp4") << aac;
    else if (ext == QLatin1String("aac"))
        names << QStringLiteral("audioparsers") << aac;
    else if (ext == QLatin1String("wma"))
        names << QStringLiteral("asf") << QStringLiteral("libav");
    else if (ext == QLatin1String("ape"))
        names << QStringLiteral("libav");
    return names;
}

QStringList GstPlugins::loadFor(const QString &song)
{
    QStringList loaded;
    for (const QString &name : pluginsFor(song)) {
        if (name == QLatin1String("libav") && ffmpegLeftOut()) {
            if (addFfmpegDecoders())
                loaded << name;
            continue;
        }
        if (GstPlugin *plugin = gst_plugin_load_by_name(name.toUtf8().constData())) {
            loaded << name;
            gst_object_unref(plugin);
        }
    }
    return loaded;
}

bool GstPlugins::ffmpegLeftOut()
{
    return leftOut && QFileInfo::exists(systemPlugin("libav"));
}

bool GstPlugins::addFfmpegDecoders()
{
    if (!ffmpegLeftOut())
        return false;
    leftOut = false;
    GError *error = nullptr;
    GstPlugin *plugin = gst_plugin_load_file(systemPlugin("libav").toUtf8().constData(), &error);
    if (!plugin) {
        qCWarning(lcEngine) << "FFmpeg's decoders cannot be loaded:" << (error ? error->message : "");
        g_clear_error(&error);
        return false;
    }
    gst_object_unref(plugin);
    rankDecoders();
    return true;
}
