// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Makes the player the user's handler of .mp3 files. On Linux: a desktop
// entry plus the user's mimeapps.list; on Windows: the five registry values.
class FileAssociation {
public:
    virtual ~FileAssociation() = default;
    // executablePath: the program to register. True when everything was written.
    virtual bool associateMp3(const QString &executablePath) = 0;
};
