// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/moduleloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#ifndef LIRAVO_NETWORK_MODULE_RELDIR
#define LIRAVO_NETWORK_MODULE_RELDIR "../lib/liravo"
#endif

QStringList moduleCandidates(const QString &fileName)
{
    const QDir exeDir(QCoreApplication::applicationDirPath());
    return {exeDir.filePath(fileName),
            QDir::cleanPath(exeDir.filePath(QStringLiteral(LIRAVO_NETWORK_MODULE_RELDIR "/") + fileName))};
}

bool loadFromModule(const QStringList &candidates, const QString &fileName, const char *factory,
                    const std::function<bool(QFunctionPointer)> &make, QString *why)
{
    QStringList reasons;
    for (const QString &path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary lib(path);
        if (!lib.load()) {
            reasons << lib.errorString();
            continue;
        }
        if (make(lib.resolve(factory)))
            return true;
        reasons << path + QStringLiteral(": no ") + QLatin1String(factory);
    }
    if (reasons.isEmpty())
        reasons << QStringLiteral("%1 not found (looked in: %2)")
                       .arg(fileName, candidates.join(QStringLiteral(", ")));
    if (why)
        *why = reasons.join(QStringLiteral("; "));
    return false;
}
