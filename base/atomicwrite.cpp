#include "base/atomicwrite.h"

#include <QFileInfo>
#include <QSaveFile>

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo info(path);
    // Renaming would replace even a file the user made read-only.
    if (info.exists() && !info.isWritable()) {
        *error = QStringLiteral("文件是只读的");
        return false;
    }
    if (info.isDir()) {
        *error = QStringLiteral("这是一个文件夹");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
