// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/settings.h"

#include "base/settingsbackend.h"
#include "base/settingskeys.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>

Settings::Settings(SettingsBackend &backend, QString exeName)
    : backend_(backend), exeName_(std::move(exeName))
{
}

QString Settings::executableBaseName()
{
    QString path;
    if (QCoreApplication::instance())
        path = QCoreApplication::applicationFilePath();
    // Before the application object exists the kernel still knows the file.
    if (path.isEmpty())
        path = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    // Linux executables carry no extension; a dot in the name is part of it.
    return appNameOfFile(QFileInfo(path).fileName());
}

QString Settings::appNameOfFile(const QString &fileName)
{
    // The installed command is "liravo" while the settings were always kept
    // under "Liravo"; any spelling of the program's own name reads those, so
    // nothing stored moves. A copy renamed to something else keeps its own.
    if (fileName.isEmpty() || fileName.compare(sharedAppName(), Qt::CaseInsensitive) == 0)
        return sharedAppName();
    return fileName;
}

QString Settings::get(const QString &app, const QString &section, const QString &key,
                      const QString &def)
{
    if (std::optional<QString> v = backend_.read(app, section, key))
        return *std::move(v);
    return def;
}

void Settings::save(const QString &app, const QString &section, const QString &key,
                    const QString &value)
{
    backend_.write(app, section, key, value);
    noteOutcome();
}

QString Settings::appFor(const SettingKey &key) const
{
    return key.scope == SettingKey::Scope::Shared ? sharedAppName() : programAppName();
}

QString Settings::value(const SettingKey &key)
{
    return value(key, QString::fromUtf8(key.fallback));
}

QString Settings::value(const SettingKey &key, const QString &fallback)
{
    return get(appFor(key), QString::fromUtf8(key.section), QString::fromUtf8(key.name), fallback);
}

qint64 Settings::number(const SettingKey &key)
{
    return toInt(value(key), toInt(QString::fromUtf8(key.fallback)));
}

bool Settings::flag(const SettingKey &key)
{
    return toBool(value(key), toBool(QString::fromUtf8(key.fallback)));
}

void Settings::store(const SettingKey &key, const QString &text)
{
    save(appFor(key), QString::fromUtf8(key.section), QString::fromUtf8(key.name), text);
}

std::optional<QString> Settings::take(const SettingKey &key)
{
    return backend_.take(appFor(key), QString::fromUtf8(key.section), QString::fromUtf8(key.name));
}

Settings::PutResult Settings::putIfEmpty(const SettingKey &key, const QString &value, QString *why)
{
    switch (backend_.putIfEmpty(appFor(key), QString::fromUtf8(key.section),
                                QString::fromUtf8(key.name), value)) {
    case SettingsBackend::PutResult::Written:
        return PutResult::Written;
    case SettingsBackend::PutResult::Occupied:
        return PutResult::Occupied;
    case SettingsBackend::PutResult::Failed:
        break;
    }
    if (why)
        *why = backend_.why();
    return PutResult::Failed;
}

void Settings::dropUnsaved()
{
    backend_.dropUnsaved();
}

bool Settings::retryUnsaved()
{
    if (!backend_.hasUnsaved())
        return true;
    // Each try may wait briefly on a lock; a store that stays locked is not
    // asked ten times a second.
    if (lastRetry_.isValid() && !lastRetry_.hasExpired(kRetryPauseMs))
        return false;
    lastRetry_.start();
    const bool ok = backend_.retryUnsaved();
    noteOutcome();
    return ok;
}

void Settings::noteOutcome()
{
    if (!backend_.hasUnsaved()) {
        told_ = false;
        return;
    }
    if (told_)
        return;
    told_ = true;
    if (cannotSave_)
        cannotSave_(backend_.why());
}

bool Settings::toBool(const QString &text, bool fallback)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    // Numeric text converts the way a number does: zero is false, anything else true.
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (ok && std::isfinite(d))
        return d != 0.0;
    return fallback;
}

qint64 Settings::toInt(const QString &text, qint64 fallback)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (ok)
        return v;
    // "12.0" or "1e3" still name a whole number; anything out of range does not.
    const double d = t.toDouble(&ok);
    if (ok && std::isfinite(d) && std::fabs(d) < 9.0e18)
        return static_cast<qint64>(std::llround(d));
    return fallback;
}
