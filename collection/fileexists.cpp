// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/fileexists.h"

#include <QFileInfo>

#include <QFile>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

// A path given in double quotes is taken without them; only the last
// character is looked at, as a command line hands such paths over.
QString unquoted(const QString &path)
{
    if (path.endsWith(QLatin1Char('"')))
        return path.size() >= 2 ? path.mid(1, path.size() - 2) : QString();
    return path;
}

} // namespace

bool fileExists(const QString &path)
{
    const QString p = unquoted(path);
    if (!p.startsWith(QLatin1Char('/')) || p.contains(QChar(0)))
        return false;
    const qsizetype cut = p.lastIndexOf(QLatin1Char('/'));
    const QString name = p.mid(cut + 1);
    // Dot files are the hidden files here; "." and ".." are folders anyway.
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        return false;

    const QByteArray full = QFile::encodeName(p);
    struct stat st;
    if (::stat(full.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;

    // A case-insensitive file system (a USB stick, a Windows share) finds
    // "Song.mp3" for "song.mp3"; only the folder's listing has the spelling.
    const QByteArray dirPath = cut == 0 ? QByteArray("/") : QFile::encodeName(p.left(cut));
    const QByteArray wanted = QFile::encodeName(name);
    DIR *dir = ::opendir(dirPath.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *d = ::readdir(dir)) {
        if (std::strcmp(d->d_name, wanted.constData()) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}
