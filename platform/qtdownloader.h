#pragma once
#include "platform/downloader.h"

class HttpClient;

// Downloads through the player's HttpClient (and so within its time limit).
// The file is written through a temporary file and only when a complete 2xx
// response arrived, so a failed download never leaves a truncated file or an
// error page where a program file is expected.
class QtDownloader : public Downloader {
public:
    explicit QtDownloader(HttpClient &http) : http_(http) {}
    bool download(const QString &url, const QString &filePath, QString *errorText = nullptr) override;

private:
    HttpClient &http_;
};
