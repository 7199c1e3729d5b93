// The Settings page follows what the desktop decides while it shows: a microphone plugged into the
// test sound server (and chosen as its default) names itself in the Microphone row, and the
// autostart entry made or removed outside the application shows in "Open at login" once the
// window comes to the front again. One test at a time: the sound server's default input is shared.
#include "AppDelegate.h"
#include "AppFixture.h"
#include "AppWindows.h"
#include "DeviceNames.h"
#include "LoginItem.h"

#include <QFile>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <memory>
#include <utility>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

// pactl's answer, trimmed; fails the test when pactl does.
QString pactl(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qWarning() << "pactl" << arguments << "failed:" << process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

}

class SettingsFollowsDesktopTests : public QObject {
    Q_OBJECT

    QTemporaryDir logFolder_;
    std::unique_ptr<AppFixture> app_;
    QQuickWindow* window_ = nullptr;
    QString defaultSource_;
    QString plugged_;  // the module of the microphone plugged in, while it is

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
        if (!plugged_.isEmpty())
            pactl({QStringLiteral("unload-module"), plugged_});
        if (!defaultSource_.isEmpty())
            pactl({QStringLiteral("set-default-source"), defaultSource_});
        app_.reset();
    }

    void microphoneFollowsDevicesComingAndGoing()
    {
        if (qEnvironmentVariableIsSet("QUILLMARSH_NO_SOUND_SERVER"))
            QSKIP("QUILLMARSH_NO_SOUND_SERVER is set");
        QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"),
                 "no sound server: run the tests through scripts/test (it starts one), or set "
                 "QUILLMARSH_NO_SOUND_SERVER=1");
        const QString before = QStringLiteral("Using ") + DeviceNames::microphone();
        QTRY_COMPARE(microphoneNote(), before);

        // Plugged in, and the sound server makes it the default, as desktops do.
        defaultSource_ = pactl({QStringLiteral("get-default-source")});
        plugged_ = pactl({QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                          QStringLiteral("source_name=quillmarsh_headset"), QStringLiteral("description=Headset")});
        pactl({QStringLiteral("set-default-source"), QStringLiteral("quillmarsh_headset")});
        QTRY_COMPARE(microphoneNote(), QStringLiteral("Using Headset"));

        // Unplugged, leaving only what the speakers play as the default: no microphone.
        pactl({QStringLiteral("unload-module"), std::exchange(plugged_, QString())});
        pactl({QStringLiteral("set-default-source"), QStringLiteral("quillmarsh_speaker.monitor")});
        QTRY_COMPARE(microphoneNote(), QStringLiteral("Using no microphone"));

        pactl({QStringLiteral("set-default-source"), std::exchange(defaultSource_, QString())});
        QTRY_COMPARE(microphoneNote(), before);
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
