// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/atomicwrite.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSave, "liravo.save")

namespace {

const QLatin1String kTempMark(".liravo-");

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// The file a save really replaces: the target of a link, or the path itself.
QString resolved(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return info.absoluteFilePath();
}

mode_t modeFor(const QByteArray &target)
{
    struct stat st {};
    if (::stat(target.constData(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

int tidyStrayTemporaries(const QString &path, int minAgeSeconds)
{
    const QFileInfo target(resolved(path));
    const QRegularExpression ours(QLatin1Char('^') + QRegularExpression::escape(target.fileName() + kTempMark)
                                  + QLatin1String("[A-Za-z0-9]{6}$"));
    const QDir dir = target.absoluteDir();
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-minAgeSeconds);
    int removed = 0;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!ours.match(name).hasMatch())
            continue;
        const QByteArray file = QFile::encodeName(dir.filePath(name));
        struct stat st {};
        // Only a regular file of ours that nobody touched for a while: never
        // a link, never another user's file, never a save still under way.
        if (::lstat(file.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()
            || QDateTime::fromSecsSinceEpoch(st.st_mtime, Qt::UTC) > before)
            continue;
        if (::unlink(file.constData()) == 0) {
            ++removed;
            qCInfo(lcSave) << "removed" << dir.filePath(name) << "left by an interrupted save";
        }
    }
    return removed;
}

bool writeAtomically(const QString &path, const std::function<bool(QIODevice &)> &fill,
                     QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString targetPath = resolved(path);
    tidyStrayTemporaries(targetPath);
    const QByteArray target = QFile::encodeName(targetPath);
    QByteArray temp = target + kTempMark.data() + "XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(systemError(errno));
    ::fchmod(fd, modeFor(target));
    bool filled = false;
    QString why;
    {
        QFile file;
        if (file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
            filled = fill(file);
            if (filled && !file.flush()) {
                filled = false;
                why = file.errorString();
            }
        } else {
            why = file.errorString();
        }
    }
    if (filled && ::fsync(fd) != 0) {
        filled = false;
        why = systemError(errno);
    }
    ::close(fd);
    if (filled && ::rename(temp.constData(), target.constData()) != 0) {
        filled = false;
        why = systemError(errno);
    }
    if (!filled) {
        ::unlink(temp.constData());
        if (error && !why.isEmpty())
            *error = why;
        return false;
    }
    return true;
}

bool writeAtomically(const QString &path, const QByteArray &data, QString *error)
{
    QString why;
    QString inner;
    const bool ok = writeAtomically(
        path,
        [&](QIODevice &out) {
            if (out.write(data) == data.size())
                return true;
            why = out.errorString();
            return false;
        },
        &inner);
    if (!ok && error)
        *error = inner.isEmpty() ? why : inner;
    return ok;
}
