#pragma once
#include <QByteArray>
#include <QString>

// Writes bytes to path, making its folder first, and returns path; a write
// that fails fails the test.
QString writeTestFile(const QString &path, const QByteArray &bytes = {});
