// The Account page on a computer where no sign-in service is configured: the page says so and its
// sign-in controls are off; nothing goes to the browser or the network, so no transport error
// shows; the desktop's secret store is never asked, not even for a kept session.
#include "Account/AccountViewModel.h"
#include "AppFixture.h"
#include "LogLines.h"
#include "Shell/AppDelegate.h"

#include <QDesktopServices>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class AccountWithoutServiceTests : public QObject {
    Q_OBJECT

    QTemporaryDir logFolder_;
    QList<QUrl> opened_;

public slots:
    void open(const QUrl& url) { opened_.append(url); }

private slots:
    void initTestCase()
    {
        qputenv("QUILLMARSH_LOG", QFile::encodeName(logFolder_.filePath(QStringLiteral("Quillmarsh.log"))));
        // Whatever the browser would be handed: a relative address has no scheme.
        for (const QString& scheme : {QString(), QStringLiteral("http"), QStringLiteral("https")})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }

    void pageSaysSignInIsNotSetUpAndNothingSignsIn()
    {
        const LogLines log;
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        AppFixture app([](Settings&) {
            qunsetenv("QUILLMARSH_SUPABASE_URL");
            // The session would live in the desktop's secret store, whose bus is unreachable
            // here: any use of it fails and says so in the log.
            qunsetenv("QUILLMARSH_ACCOUNT_SESSION");
            qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        });
        QQmlComponent component(&app.delegate().qmlEngine(),
                                QUrl(QStringLiteral("qrc:/qt/qml/Quillmarsh/App/Main/Account/AccountPane.qml")));
        const std::unique_ptr<QObject> page(component.createWithInitialProperties(
            {{QStringLiteral("model"), QVariant::fromValue(&app.delegate().model())}}));
        QVERIFY2(page, qPrintable(component.errorString()));
        const auto item = [&](const char* name) { return page->findChild<QQuickItem*>(QLatin1String(name)); };

        QVERIFY(item("noServiceLine")->isVisible());
        QCOMPARE(item("noServiceLine")->property("text").toString(),
                 QStringLiteral("Sign-in isn\u2019t set up on this computer."));
        QVERIFY(!item("googleButton")->isEnabled());
        QVERIFY(!item("emailField")->isEnabled());
        QVERIFY(!item("linkButton")->isEnabled());

        auto* account = page->property("account").value<AccountViewModel*>();
        account->continueWithGoogle();
        account->setEmail(QStringLiteral("sara@example.com"));
        account->sendLink();
        QCOMPARE(account->phase(), AccountViewModel::Phase::idle);
        QCOMPARE(opened_, QList<QUrl>());
        QVERIFY2(!log.mentions(QStringLiteral("secret store")), qPrintable(log.lines().join('\n')));
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    }
};

QTEST_MAIN(AccountWithoutServiceTests)
#include "AccountWithoutServiceTests.moc"
