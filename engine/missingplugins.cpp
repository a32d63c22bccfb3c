// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/missingplugins.h"

#include <gst/gst.h>

namespace {

struct Source {
    const char *package;
    const char *plugin; // the plugin in that package that handles the stream
};

constexpr const char *kBase = "gstreamer1.0-plugins-base";
constexpr const char *kGood = "gstreamer1.0-plugins-good";
constexpr const char *kUgly = "gstreamer1.0-plugins-ugly";
constexpr const char *kLibav = "gstreamer1.0-libav";

// What decodebin found nothing for, by the stream's media type (and for
// audio/mpeg its version: 1 is MP3, 2 and 4 AAC). A container without its
// demuxer also names the decoder its sound needs, so one install plays it.
// Measured with playbin on base+good, base+good+libav and
// base+good+ugly+libav (README, Formats).
struct Rule {
    const char *mediaType;
    int mpegVersion; // 0: any
    Source first;
    Source second;
};
constexpr Rule kRules[] = {
    {"audio/mpeg", 1, {kGood, "mpg123"}, {}},
    {"audio/mpeg", 2, {kLibav, "libav"}, {}},
    {"audio/mpeg", 4, {kLibav, "libav"}, {}},
    {"audio/x-flac", 0, {kGood, "flac"}, {}},
    {"audio/x-wav", 0, {kGood, "wavparse"}, {}},
    {"application/x-id3", 0, {kGood, "id3demux"}, {}},
    {"application/ogg", 0, {kBase, "ogg"}, {}},
    {"audio/ogg", 0, {kBase, "ogg"}, {}},
    {"audio/x-vorbis", 0, {kBase, "vorbis"}, {}},
    {"audio/x-opus", 0, {kBase, "opus"}, {}},
    {"video/quicktime", 0, {kGood, "isomp4"}, {kLibav, "libav"}},
    {"audio/x-m4a", 0, {kGood, "isomp4"}, {kLibav, "libav"}},
    {"audio/x-alac", 0, {kLibav, "libav"}, {}},
    {"video/x-ms-asf", 0, {kUgly, "asf"}, {kLibav, "libav"}},
    {"audio/x-wma", 0, {kLibav, "libav"}, {}},
    {"application/x-ape", 0, {kLibav, "libav"}, {}},
    {"audio/x-ffmpeg-parsed-ape", 0, {kLibav, "libav"}, {}},
};

// A plugin GStreamer knows and can load; one it refused at registration
// (a library of its own missing) is as good as absent.
bool registered(const char *plugin)
{
    GstPlugin *p = gst_registry_find_plugin(gst_registry_get(), plugin);
    if (!p)
        return false;
    const bool usable = !GST_OBJECT_FLAG_IS_SET(p, GST_PLUGIN_FLAG_BLACKLISTED);
    gst_object_unref(p);
    return usable;
}

// packagesFor() on the caps of the stream a message names.
QStringList packagesForCaps(const GstCaps *caps)
{
    if (!caps || gst_caps_is_empty(caps) || gst_caps_is_any(caps))
        return {};
    const GstStructure *s = gst_caps_get_structure(caps, 0);
    int version = 0;
    if (!gst_structure_get_int(s, "mpegversion", &version))
        version = 0;
    QStringList packages;
    for (const Rule &rule : kRules) {
        if (!gst_structure_has_name(s, rule.mediaType)
            || (rule.mpegVersion != 0 && rule.mpegVersion != version))
            continue;
        for (const Source &source : {rule.first, rule.second}) {
            if (source.package && !registered(source.plugin))
                packages << QString::fromLatin1(source.package);
        }
        break;
    }
    return packages;
}

} // namespace

bool MissingPlugins::isMissingPluginMessage(GstMessage *msg)
{
    // What gst_is_missing_plugin_message() checks, without linking
    // gst-plugins-base's utility library for it.
    if (GST_MESSAGE_TYPE(msg) != GST_MESSAGE_ELEMENT)
        return false;
    const GstStructure *s = gst_message_get_structure(msg);
    return s && gst_structure_has_name(s, "missing-plugin");
}

QStringList MissingPlugins::packagesFor(GstMessage *msg)
{
    if (!isMissingPluginMessage(msg))
        return {};
    const GstStructure *s = gst_message_get_structure(msg);
    // Decoders and demuxers alike are "decoder" with the stream's caps; a
    // missing URI handler or encoder is none of the player's formats.
    if (g_strcmp0(gst_structure_get_string(s, "type"), "decoder") != 0)
        return {};
    const GValue *detail = gst_structure_get_value(s, "detail");
    if (!detail || !GST_VALUE_HOLDS_CAPS(detail))
        return {};
    return packagesForCaps(gst_value_get_caps(detail));
}
