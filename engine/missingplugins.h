// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>

typedef struct _GstMessage GstMessage;

// What GStreamer lacked for a song, said as the Debian packages to install.
namespace MissingPlugins {

// Whether `msg` is GStreamer's report that no element handles a stream
// (decodebin's "missing-plugin" element message).
bool isMissingPluginMessage(GstMessage *msg);
// The packages that bring an element for the stream a missing-plugin
// message names, in the order to name them; those whose plugin GStreamer
// already has are left out, so what remains is what is still to install.
// Empty for a message about something else than a stream (a URI scheme) or
// a stream of a kind no known package serves.
QStringList packagesFor(GstMessage *msg);

} // namespace MissingPlugins
