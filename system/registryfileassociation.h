#pragma once
#include "platform/fileassociation.h"

#ifdef Q_OS_WIN
// The Windows way: the five default values of mp3RegistryValues under
// HKEY_CLASSES_ROOT.
class RegistryFileAssociation : public FileAssociation {
public:
    bool associateMp3(const QString &executablePath) override;
};
#endif
