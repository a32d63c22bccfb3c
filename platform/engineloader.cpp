#include "platform/engineloader.h"

#include "platform/enginemodule.h"
#include "platform/mediaplayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#ifndef LIRAVO_NETWORK_MODULE_RELDIR
#define LIRAVO_NETWORK_MODULE_RELDIR "../lib/liravo"
#endif

QStringList engineModuleCandidates()
{
    const QString name = QStringLiteral("libliravo_engine.so");
    const QDir exeDir(QCoreApplication::applicationDirPath());
    return {exeDir.filePath(name),
            QDir::cleanPath(exeDir.filePath(QStringLiteral(LIRAVO_NETWORK_MODULE_RELDIR "/") + name))};
}

std::unique_ptr<MediaPlayer> loadEngineModule(const QStringList &candidates, QString *error)
{
    QStringList reasons;
    for (const QString &path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        // Never unloaded: GStreamer keeps threads and types registered in it.
        QLibrary lib(path);
        if (!lib.load()) {
            reasons << lib.errorString();
            continue;
        }
        auto create = reinterpret_cast<LiravoEngineFactory>(lib.resolve(LIRAVO_ENGINE_FACTORY));
        if (MediaPlayer *made = create ? create() : nullptr)
            return std::unique_ptr<MediaPlayer>(made);
        reasons << path + QStringLiteral(": no ") + QLatin1String(LIRAVO_ENGINE_FACTORY);
    }
    if (reasons.isEmpty())
        reasons << QStringLiteral("libliravo_engine.so not found (looked in: %1)")
                       .arg(candidates.join(QStringLiteral(", ")));
    if (error)
        *error = reasons.join(QStringLiteral("; "));
    return nullptr;
}
