// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ownfolder.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcFolders, "liravo.folders")

namespace {

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

int openFolder(int parent, const char *name)
{
    return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

QString ensureOwnFolder(const QString &base, const QString &own, QString *why)
{
    auto fail = [why](const QString &reason) {
        if (why)
            *why = reason;
        return QString();
    };
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        return fail(QStringLiteral("no folder to start from"));
    if (!QDir().mkpath(base))
        return fail(QStringLiteral("cannot make %1").arg(base));
    Fd at;
    at.fd = ::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (at.fd < 0)
        return fail(QStringLiteral("cannot open %1: %2").arg(base, QString::fromLocal8Bit(std::strerror(errno))));
    QString path = QDir::cleanPath(base);
    for (const QString &part : own.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return fail(QStringLiteral("%1 is no plain folder name").arg(part));
        path += QLatin1Char('/') + part;
        const QByteArray name = QFile::encodeName(part);
        struct stat st {};
        if (::fstatat(at.fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
            // The link goes; whatever it points to stays as it is.
            if (::unlinkat(at.fd, name.constData(), 0) != 0)
                return fail(QStringLiteral("%1 is a link that cannot be removed").arg(path));
            qCWarning(lcFolders) << path << "was a symbolic link; removed it and made a folder of our own";
        }
        if (::mkdirat(at.fd, name.constData(), 0700) != 0 && errno != EEXIST)
            return fail(QStringLiteral("cannot make %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        Fd next;
        next.fd = openFolder(at.fd, name.constData());
        if (next.fd < 0)
            return fail(QStringLiteral("%1 is not a folder").arg(path));
        if (::fstat(next.fd, &st) != 0 || st.st_uid != ::geteuid())
            return fail(QStringLiteral("%1 belongs to another user").arg(path));
        std::swap(at.fd, next.fd);
    }
    return path;
}
