// The Settings page follows what the desktop decides while it shows: a microphone plugged into the
// test sound server (and chosen as its default) names itself in the Microphone row, the tray and
// the first run name the same input, and a dictation records from it; the autostart entry made or
// removed outside the application shows in "Open at login" once the window comes to the front
// again. One test at a time: the sound server's default input is shared.
#include "AppFixture.h"
#include "DesktopPermissions.h"
#include "Setup/DeviceNames.h"
#include "Shell/AppDelegate.h"
#include "Shell/AppWindows.h"
#include "Shell/LoginItem.h"
#include "Sound/Microphone.h"
#include "TestSoundServer.h"
#include "TestSupport.h"

#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <memory>
#include <mutex>
#include <utility>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

using TestSoundServer::pactl;

namespace {

// The loudest level of about a second and a half that a dictation's microphone records.
float loudestRecorded()
{
    std::mutex mutex;
    size_t samples = 0;
    float loudest = 0;
    Microphone microphone;
    microphone.onAudio = [&](const std::vector<float>& block, float level) {
        std::lock_guard lock(mutex);
        samples += block.size();
        loudest = std::max(loudest, level);
    };
    microphone.start();
    const bool heard = waitUntil(
        [&] {
            std::lock_guard lock(mutex);
            return samples >= 24000;
        },
        std::chrono::seconds(20));
    microphone.stop();
    return heard ? loudest : -1;
}

}

class SettingsFollowsDesktopTests : public QObject {
    Q_OBJECT

    QTemporaryDir logFolder_;
    std::unique_ptr<AppFixture> app_;
    QQuickWindow* window_ = nullptr;
    QString defaultSource_;

    QQuickItem* item(const char* name) const { return window_->findChild<QQuickItem*>(name); }
    QString microphoneNote() const { return item("microphoneRow")->property("note").toString(); }
    bool opensAtLogin() const { return item("openAtLogin")->property("checked").toBool(); }

    // Another window takes the front, then the main window comes back.
    void bringBack()
    {
        QWindow other;
        other.show();
        other.requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!window_->isActive());
        window_->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window_));
    }

private slots:
    void initTestCase()
    {
        qputenv("QUILLMARSH_LOG", logFolder_.filePath(QStringLiteral("Quillmarsh.log")).toLocal8Bit());
        app_ = std::make_unique<AppFixture>();
        app_->delegate().windows().showMain(MainSection::settings);
        window_ = app_->delegate().windows().main();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        QTRY_VERIFY(item("microphoneRow"));
    }
    void cleanupTestCase()
    {
        if (!defaultSource_.isEmpty())
            pactl({QStringLiteral("set-default-source"), defaultSource_});
        app_.reset();
    }

    // Plugged in and chosen, unplugged, and the first microphone chosen again, while the application
    // runs: each dictation records from the input that Settings, the tray and the first run name.
    void microphoneFollowsDevicesComingAndGoing()
    {
        if (qEnvironmentVariableIsSet("QUILLMARSH_NO_SOUND_SERVER"))
            QSKIP("QUILLMARSH_NO_SOUND_SERVER is set");
        QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"),
                 "no sound server: run the tests through scripts/test (it starts one), or set "
                 "QUILLMARSH_NO_SOUND_SERVER=1");
        const QString before = QStringLiteral("Using ") + DeviceNames::microphone();
        QTRY_COMPARE(microphoneNote(), before);
        QVERIFY(loudestRecorded() > 0.02f);

        // Plugged in (a headset that hears silence), and the sound server makes it the default, as
        // desktops do.
        defaultSource_ = pactl({QStringLiteral("get-default-source")});
        std::optional<TestSoundServer::PluggedInput> headset;
        headset.emplace(QStringLiteral("quillmarsh_headset"), QStringLiteral("Headset"));
        pactl({QStringLiteral("set-default-source"), QStringLiteral("quillmarsh_headset")});
        QTRY_COMPARE(microphoneNote(), QStringLiteral("Using Headset"));
        QCOMPARE(DeviceNames::microphone(), QStringLiteral("Headset"));
        QCOMPARE(DesktopPermissions::system().microphone(), Microphone::Permission::authorized);
        QCOMPARE(loudestRecorded(), 0.0f);

        // Unplugged, leaving only what the speakers play as the default: no microphone.
        headset.reset();
        pactl({QStringLiteral("set-default-source"), QStringLiteral("quillmarsh_speaker.monitor")});
        QTRY_COMPARE(microphoneNote(), QStringLiteral("Using no microphone"));
        QCOMPARE(DeviceNames::microphone(), QStringLiteral("no microphone"));
        QTRY_COMPARE(DesktopPermissions::system().microphone(), Microphone::Permission::restricted);

        pactl({QStringLiteral("set-default-source"), std::exchange(defaultSource_, QString())});
        QTRY_COMPARE(microphoneNote(), before);
        QVERIFY(loudestRecorded() > 0.02f);
    }

    void openAtLoginFollowsTheAutostartEntry()
    {
        QVERIFY(!opensAtLogin());
        // Another program (the desktop's session settings, say) makes the entry.
        QVERIFY(LoginItem::setEnabled(true));
        bringBack();
        QTRY_VERIFY(opensAtLogin());

        QVERIFY(QFile::remove(LoginItem::entryPath()));
        bringBack();
        QTRY_VERIFY(!opensAtLogin());
    }
};

QTEST_MAIN(SettingsFollowsDesktopTests)
#include "SettingsFollowsDesktopTests.moc"
