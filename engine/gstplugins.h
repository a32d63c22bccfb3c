// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// Starting GStreamer for the player. GStreamer keeps the description of
// every installed plugin in memory and its decoder search walks all of them;
// with video, encoder and FFmpeg plugins installed that costs a playing
// player some 4 MiB. So the player looks only at the plugins that play sound,
// through a private directory of links to them and a registry of its own,
// and adds FFmpeg's decoders only when a song needs them.
namespace GstPlugins {

// Starts GStreamer once (later calls return the first outcome). With the
// desktop's cache folder `cacheHome`, only the sound plugins, linked and
// registered in its liravo/gstreamer-1.0 (a folder of the player's own, see
// ensureOwnFolder), unless the user set GStreamer's plugin path or registry,
// or the folder or the links cannot be made. Native decoders are ranked
// above FFmpeg's.
bool start(const QString &cacheHome);
// Whether FFmpeg's decoders were left out and can still be added.
bool ffmpegLeftOut();
// Adds FFmpeg's decoders (below the native ones); true when they were
// added now.
bool addFfmpegDecoders();

// The audio sinks the desktop's output is chosen from, the one to try first
// first: what autoaudiosink tries, by rank.
QStringList desktopSinks();
// The plugins a song of this file name takes on its way to the output:
// playbin, type finding, conversion, volume, the first desktop sink, and the
// demuxer, parser and decoder its extension calls for (none for an unknown
// one). FFmpeg's name ("libav") stands where only FFmpeg decodes.
QStringList pluginsFor(const QString &song);
// Loads those plugins now (after start), so that a first song started soon
// finds them loaded instead of loading one after another as its data
// arrives; with FFmpeg's name, adds its decoders. The names that loaded.
QStringList loadFor(const QString &song);

} // namespace GstPlugins
