// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/settings.h"
#include "base/settingskeys.h"
#include "desktop/dbusnotifier.h"
#include "desktop/songnotifications.h"
#include "store/memorysettingsbackend.h"
#include "support/privatebus.h"
#include "support/notificationserver.h"
#include "support/recordingnotifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct ImageData {
    int width = 0, height = 0, stride = 0;
    bool alpha = false;
    int bits = 0, channels = 0;
    QByteArray pixels;
    QString signature;
};

ImageData imageDataOf(const QVariant &v)
{
    ImageData d;
    const QDBusArgument arg = v.value<QDBusArgument>();
    d.signature = arg.currentSignature();
    arg.beginStructure();
    arg >> d.width >> d.height >> d.stride >> d.alpha >> d.bits >> d.channels >> d.pixels;
    arg.endStructure();
    return d;
}

// Counts the lines logged under one category.
class LogCount {
public:
    explicit LogCount(const char *category)
    {
        category_ = category;
        count_ = 0;
        previous_ = qInstallMessageHandler(&LogCount::handle);
    }
    ~LogCount() { qInstallMessageHandler(previous_); }
    int count() const { return count_; }

private:
    static void handle(QtMsgType, const QMessageLogContext &context, const QString &)
    {
        if (context.category && qstrcmp(context.category, category_) == 0)
            ++count_;
    }
    static inline const char *category_ = nullptr;
    static inline int count_ = 0;
    QtMessageHandler previous_ = nullptr;
};

QImage filled(int w, int h, QColor colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(colour);
    return image;
}

TEST(SongNotifications, TellOnlyOfNewSongsAsTheSettingSays)
{
    struct Event {
        const char *key;
        bool visible;
    };
    const std::vector<Event> events = {
        {"/a.mp3", false}, // a new song while hidden
        {"/a.mp3", false}, // the tick, a pause or a seek: the same song
        {"/b.mp3", true},  // a new song while shown
        {"/b.mp3", false}, // hidden after it started: no new song
        {"/a.mp3", false}, // back to the first: new again
        {"", false},       // an online song not yet resolved
    };
    const struct {
        const char *setting; // nullptr: never set
        QStringList told;
    } cases[] = {
        {nullptr, {"/a.mp3", "/a.mp3", ""}},
        {"隐藏时", {"/a.mp3", "/a.mp3", ""}},
        {"总是", {"/a.mp3", "/b.mp3", "/a.mp3", ""}},
        {"从不", {}},
        {"有时", {"/a.mp3", "/a.mp3", ""}}, // unknown text: the default
    };
    for (const auto &c : cases) {
        MemorySettingsBackend store;
        Settings settings(store, QStringLiteral("Liravo"));
        if (c.setting)
            settings.store(SettingKeys::songNotifications, QString::fromUtf8(c.setting));
        RecordingNotifier notifier;
        SongNotifications policy(notifier, settings);
        for (const Event &e : events) {
            const QString key = QString::fromUtf8(e.key);
            policy.nowPlaying(key, SongNotice{key, {}, {}}, e.visible);
        }
        QStringList told;
        for (const SongNotice &n : notifier.notices)
            told.append(n.summary);
        EXPECT_EQ(told, c.told) << (c.setting ? c.setting : "unset");
    }
}

TEST(SongNotifications, TheBodyNamesWhatIsKnown)
{
    const struct {
        QString singer, album, body;
    } cases[] = {
        {QStringLiteral("周杰伦"), QStringLiteral("魔杰座"), QStringLiteral("周杰伦 — 魔杰座")},
        {QStringLiteral("周杰伦"), QString(), QStringLiteral("周杰伦")},
        {QString(), QStringLiteral("魔杰座"), QStringLiteral("魔杰座")},
        {QStringLiteral(" "), QStringLiteral(" "), QString()},
    };
    for (const auto &c : cases) {
        const SongNotice n = songNotice(QStringLiteral("稻香 "), c.singer, c.album);
        EXPECT_EQ(n.summary, QStringLiteral("稻香"));
        EXPECT_EQ(n.body, c.body) << c.singer.toStdString() << "/" << c.album.toStdString();
        EXPECT_TRUE(n.image.isNull());
    }
}

struct OnABus : ::testing::Test {
    void SetUp() override { ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start"; }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("notify-server"));
        QDBusConnection::disconnectFromBus(QStringLiteral("notify-client"));
    }
    void serve()
    {
        ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
        ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &recorder,
                                          QDBusConnection::ExportAllSlots));
    }
    PrivateBus bus;
    QDBusConnection server = QDBusConnection::connectToBus(bus.address(), QStringLiteral("notify-server"));
    QDBusConnection client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("notify-client"));
    NotificationServer recorder;
};

TEST_F(OnABus, OneBubbleIsReplacedSongAfterSong)
{
    serve();
    MemorySettingsBackend store;
    Settings settings(store, QStringLiteral("Liravo"));
    settings.store(SettingKeys::songNotifications, QStringLiteral("总是"));
    DBusNotifier notifier(client);
    SongNotifications policy(notifier, settings);

    policy.nowPlaying(QStringLiteral("/a.mp3"),
                      songNotice(QStringLiteral("稻香"), QStringLiteral("周杰伦"), QStringLiteral("魔杰座"),
                                 filled(600, 300, Qt::red)),
                      true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.calls.size() == 1; }, 5000));
    policy.nowPlaying(QStringLiteral("/a.mp3"), songNotice(QStringLiteral("稻香"), {}, {}), true);
    policy.nowPlaying(QStringLiteral("/b.mp3"),
                      songNotice(QStringLiteral("晴天"), QStringLiteral("周杰伦"), {},
                                 filled(10, 6, QColor(0, 0, 255, 128), QImage::Format_ARGB32)),
                      true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.calls.size() == 2; }, 5000));
    policy.nowPlaying(QStringLiteral("/c.mp3"), songNotice(QStringLiteral("七里香"), {}, {}), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.calls.size() == 3; }, 5000));
    QTest::qWait(100);
    ASSERT_EQ(recorder.calls.size(), 3); // one per new song

    const auto &first = recorder.calls[0];
    EXPECT_EQ(first.app, QStringLiteral("Liravo"));
    EXPECT_EQ(first.replaces, 0u);
    EXPECT_EQ(first.icon, QStringLiteral("liravo"));
    EXPECT_EQ(first.summary, QStringLiteral("稻香"));
    EXPECT_EQ(first.body, QStringLiteral("周杰伦 — 魔杰座"));
    EXPECT_TRUE(first.actions.isEmpty());
    EXPECT_EQ(first.expire, -1);
    // The installed Liravo.desktop; the icon is the themed "liravo".
    EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("Liravo"));
    EXPECT_TRUE(QFile::exists(QStringLiteral(LIRAVO_SOURCE_DIR "/resources/Liravo.desktop")));
    const ImageData rgb = imageDataOf(first.hints.value(QStringLiteral("image-data")));
    EXPECT_EQ(rgb.signature, QStringLiteral("(iiibiiay)"));
    EXPECT_EQ(rgb.width, 256);
    EXPECT_EQ(rgb.height, 128);
    EXPECT_FALSE(rgb.alpha);
    EXPECT_EQ(rgb.bits, 8);
    EXPECT_EQ(rgb.channels, 3);
    EXPECT_EQ(rgb.stride, 256 * 3);
    ASSERT_EQ(rgb.pixels.size(), 256 * 3 * 128);
    EXPECT_EQ(rgb.pixels.left(6), QByteArray("\xff\x00\x00\xff\x00\x00", 6));

    const auto &second = recorder.calls[1];
    EXPECT_EQ(second.replaces, 41u); // the id the first call was given
    EXPECT_EQ(second.summary, QStringLiteral("晴天"));
    const ImageData rgba = imageDataOf(second.hints.value(QStringLiteral("image-data")));
    EXPECT_TRUE(rgba.alpha);
    EXPECT_EQ(rgba.channels, 4);
    EXPECT_EQ(rgba.width, 10);
    EXPECT_EQ(rgba.stride, 40);
    ASSERT_EQ(rgba.pixels.size(), 40 * 6);
    EXPECT_EQ(uchar(rgba.pixels[2]), 255); // blue, not premultiplied
    EXPECT_EQ(uchar(rgba.pixels[3]), 128);

    const auto &third = recorder.calls[2];
    EXPECT_EQ(third.replaces, 41u);
    EXPECT_FALSE(third.hints.contains(QStringLiteral("image-data")));
}

TEST_F(OnABus, NoticesWhileACallIsAnsweredShrinkToTheNewest)
{
    serve();
    DBusNotifier notifier(client);
    for (const char *name : {"一", "二", "三", "四"})
        notifier.notify(SongNotice{QString::fromUtf8(name), {}, {}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.calls.size() == 2; }, 5000));
    QTest::qWait(200);
    ASSERT_EQ(recorder.calls.size(), 2);
    EXPECT_EQ(recorder.calls[0].summary, QStringLiteral("一"));
    EXPECT_EQ(recorder.calls[1].summary, QStringLiteral("四"));
    EXPECT_EQ(recorder.calls[1].replaces, 41u); // never a second bubble
}

TEST_F(OnABus, WithoutAServerNothingIsShownAndOneLineLogged)
{
    LogCount log("liravo.notify");
    DBusNotifier notifier(client);
    for (int i = 0; i < 3; ++i) {
        notifier.notify(SongNotice{QStringLiteral("一"), {}, {}});
        QTest::qWait(100);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.count() > 0; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(log.count(), 1);

    // A server that comes later is used.
    serve();
    notifier.notify(SongNotice{QStringLiteral("二"), {}, {}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.calls.size() == 1; }, 5000));
}

TEST(DBusNotifierNoBus, LogsOnceAndReturns)
{
    LogCount log("liravo.notify");
    DBusNotifier notifier(QDBusConnection(QStringLiteral("no-such-bus")));
    notifier.notify(SongNotice{QStringLiteral("一"), {}, {}});
    notifier.notify(SongNotice{QStringLiteral("二"), {}, {}});
    EXPECT_EQ(log.count(), 1);
}

} // namespace

