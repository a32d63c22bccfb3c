// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "net/downloader.h"

class HttpClient;

// Downloads through the player's HttpClient, streaming into a temporary file
// as the bytes arrive, so a large file never sits in memory; only a silence
// of the client's time limit ends a slow download. The file takes its name
// only when a complete 2xx response arrived, so a failed download never
// leaves a truncated file or an error page where a program file is expected.
class QtDownloader : public Downloader {
public:
    explicit QtDownloader(HttpClient &http) : http_(http) {}
    bool download(const QString &url, const QString &filePath, QString *errorText = nullptr,
                  qint64 maxBytes = kDefaultMaxBytes, const Progress &progress = {}) override;

private:
    HttpClient &http_;
};
