// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/dbusnotifier.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcNotify, "liravo.notify")

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// Servers draw covers small; a larger picture is only more bytes on the bus.
constexpr int kMaxSide = 256;
// A service that hangs holds back only the notices of a few seconds.
constexpr int kTimeoutMs = 5000;

// The "image-data" hint: (iiibiiay) width, height, row stride, has alpha,
// bits per sample, channels, pixels as RGB or RGBA bytes, rows packed.
QDBusArgument imageData(const QImage &cover)
{
    QImage image = cover;
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        image = image.scaled(image.size().scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const bool alpha = image.hasAlphaChannel();
    image = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const int channels = alpha ? 4 : 3;
    const int stride = image.width() * channels;
    QByteArray pixels;
    pixels.reserve(qsizetype(stride) * image.height());
    for (int y = 0; y < image.height(); ++y)
        pixels.append(reinterpret_cast<const char *>(image.constScanLine(y)), stride);
    QDBusArgument arg;
    arg.beginStructure();
    arg << image.width() << image.height() << stride << alpha << 8 << channels << pixels;
    arg.endStructure();
    return arg;
}

} // namespace

DBusNotifier::DBusNotifier(QDBusConnection bus, QObject *parent)
    : QObject(parent), bus_(std::move(bus))
{
}

void DBusNotifier::notify(const SongNotice &n)
{
    // The bubble's id comes with the answer; a call made before it would
    // open a second bubble, so the newest notice waits for it instead.
    if (waiting_) {
        next_ = n;
        return;
    }
    send(n);
}

void DBusNotifier::send(const SongNotice &n)
{
    if (!bus_.isConnected()) {
        logOnce(QStringLiteral("no session bus"));
        return;
    }
    // The installed menu entry is Liravo.desktop (the name the media
    // controls give too); servers match the hint to it letter for letter.
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("Liravo")}};
    if (!n.image.isNull())
        hints.insert(QStringLiteral("image-data"), QVariant::fromValue(imageData(n.image)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    call << QStringLiteral("Liravo") << shownId_ << QStringLiteral("liravo") << n.summary << n.body
         << QStringList() << hints << qint32(-1);
    waiting_ = true;
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &DBusNotifier::answered);
}

void DBusNotifier::answered(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    waiting_ = false;
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        logOnce(reply.error().name() + QStringLiteral(": ") + reply.error().message());
    } else {
        shownId_ = reply.value();
        logged_ = false;
    }
    if (next_) {
        const SongNotice n = std::move(*next_);
        next_.reset();
        send(n);
    }
}

void DBusNotifier::logOnce(const QString &why)
{
    if (logged_)
        return;
    logged_ = true;
    qCInfo(lcNotify).noquote() << "no song notifications:" << why;
}
