#pragma once
#include <QString>

// Downloads one address into a file (the updater's downloads). Only a complete
// 2xx response is written; nothing is left behind on failure.
class Downloader {
public:
    virtual ~Downloader() = default;
    virtual bool download(const QString &url, const QString &filePath, QString *errorText = nullptr) = 0;
};
