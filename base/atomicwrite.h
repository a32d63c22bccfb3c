#pragma once
#include <QByteArray>
#include <QString>

// Writes the whole file beside the old one and renames it into place only when
// complete, so a crash, a kill or a full disk never leaves half a file. A file
// the user made read-only is not replaced, nor is a folder. On failure the
// reason (for the user, in Chinese where it is ours) goes to *error.
// Safe to call from any thread.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error);
