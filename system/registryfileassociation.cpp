#include "system/registryfileassociation.h"

#ifdef Q_OS_WIN
#include "system/associatemp3.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

bool RegistryFileAssociation::associateMp3(const QString &executablePath)
{
    const QFileInfo exe(executablePath);
    const QString folder = QDir::toNativeSeparators(exe.absolutePath());
    bool ok = true;
    for (const RegistryValue &v : mp3RegistryValues(folder, exe.completeBaseName())) {
        QSettings key(QStringLiteral("HKEY_CLASSES_ROOT\\") + v.key, QSettings::NativeFormat);
        key.setValue(QStringLiteral("Default"), v.value);
        key.sync();
        ok = ok && key.status() == QSettings::NoError;
    }
    return ok;
}
#endif
