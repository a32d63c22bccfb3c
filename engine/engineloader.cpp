// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/engineloader.h"

#include "engine/enginemodule.h"
#include "engine/mediaplayer.h"
#include "base/moduleloader.h"

namespace {
const QString kEngineFile = QStringLiteral("libliravo_engine.so");
} // namespace

bool warmEngineModule(const QStringList &candidates, const QString &song)
{
    QString ignored; // the first source reports a module that cannot load
    const QByteArray path = song.toUtf8();
    return loadFromModule(candidates, kEngineFile, LIRAVO_ENGINE_WARM,
                          [&path](QFunctionPointer warm) {
                              return warm
                                     && reinterpret_cast<LiravoEngineWarm>(warm)(
                                         path.isEmpty() ? nullptr : path.constData());
                          },
                          &ignored);
}

QStringList engineModuleCandidates()
{
    return moduleCandidates(kEngineFile);
}

std::unique_ptr<MediaPlayer> loadEngineModule(const QStringList &candidates, QString *error)
{
    // Never unloaded: GStreamer keeps threads and types registered in it.
    std::unique_ptr<MediaPlayer> engine;
    loadFromModule(candidates, kEngineFile, LIRAVO_ENGINE_FACTORY,
                   [&engine](QFunctionPointer factory) {
                       auto create = reinterpret_cast<LiravoEngineFactory>(factory);
                       engine.reset(create ? create() : nullptr);
                       return engine != nullptr;
                   },
                   error);
    return engine;
}
