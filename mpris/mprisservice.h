// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QVariantMap>

class MprisHandler;

// The player's presence on the session bus as a media player. Real one:
// QtMprisService; tests record what would be sent.
class MprisService {
public:
    virtual ~MprisService() = default;

    // Puts the interfaces on the bus and takes the player's bus name; false
    // when there is no bus or the name is held by someone else.
    virtual bool publish(MprisHandler &handler) = 0;
    // The player interface's properties in `changed` took these values.
    virtual void propertiesChanged(const QVariantMap &changed) = 0;
    // The position jumped (a seek), to positionUs.
    virtual void seeked(qint64 positionUs) = 0;
};
