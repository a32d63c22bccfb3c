// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include <functional>

// Downloads one address into a file (the updater's manifest and files). Only
// a complete 2xx response is written; nothing is left behind on failure.
class Downloader {
public:
    // Bytes received so far and the announced total (-1 when unknown).
    using Progress = std::function<void(qint64 received, qint64 total)>;
    // Program files; a manifest passes a much smaller cap.
    static constexpr qint64 kDefaultMaxBytes = qint64(512) << 20;

    virtual ~Downloader() = default;
    virtual bool download(const QString &url, const QString &filePath, QString *errorText = nullptr,
                          qint64 maxBytes = kDefaultMaxBytes, const Progress &progress = {}) = 0;
};
