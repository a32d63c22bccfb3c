// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <optional>

class Settings;

// The single-copy hand-off. The two copies never talk to each other: a second
// copy leaves its file and a request to come forward in the settings store
// and ends; the running copy takes them on its playback tick. Both sides go
// through this class, so the entries and the texts in them are in one place.
class HandOff {
public:
    explicit HandOff(Settings &settings) : settings_(settings) {}

    // The running copy: names its window, so a second copy knows to ask it
    // forward.
    void recordRunning(qint64 windowHandle);
    // The running copy: the handed-over file, emptied in the same step, so of
    // two takers only one gets it. Nothing while the slot is empty.
    std::optional<QString> takeFile();
    // The running copy: true once per request to come forward.
    bool takeShowRequest();

    // A second copy: whether a running copy has named its window.
    bool runningCopyKnown();
    // A second copy: leaves file in the slot, waiting up to waitMs for a file
    // handed over before to be taken. False, with why(), when it could not.
    bool leaveFile(const QString &file, int waitMs);
    void requestShow();
    const QString &why() const { return why_; }

private:
    Settings &settings_;
    QString why_;
};
