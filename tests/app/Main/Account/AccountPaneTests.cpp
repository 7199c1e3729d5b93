// Runs the Account page's Qt Quick tests over the application's delegate. Its accounts talk to a
// loopback auth service and account server; `accounts` plays the browser: it catches the pages
// the application opens, and returns to the application the way a browser does, by a second
// start of the program that hands the address to the running one. It also drives the save
// dialog as a user does, by typing into its name field and moving between folders.
#include "AppFixture.h"
#include "Core/Settings.h"
#include "Fonts.h"
#include "LogLines.h"
#include "Shell/AppDelegate.h"
#include "Shell/SingleInstance.h"
#include "TestAuthService.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QQmlContext>
#include <QQmlEngine>
#include <QThread>
#include <QUuid>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class AccountWorld : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        Fonts::registerFonts();
        auth_ = std::make_unique<TestAuthService>([] { return QDateTime::currentSecsSinceEpoch(); });
        server_ = std::make_unique<TestHttpServer>();
        // The save dialog proposes the home's Documents folder.
        qputenv("HOME", QFile::encodeName(home_.path()));
        qputenv("QUILLMARSH_LOG", QFile::encodeName(home_.filePath(QStringLiteral("quillmarsh.log"))));
        log_ = std::make_unique<LogLines>();
        qputenv("QUILLMARSH_SUPABASE_URL", auth_->config().baseURL.toEncoded());
        // The fixture clears the servers' environment, so the account server goes in as the
        // user's setting.
        const QString cloudURL = QStringLiteral("ws://127.0.0.1:%1").arg(server_->port());
        fixture_ = std::make_unique<AppFixture>(
            [&](Settings& settings) { settings.setValue(QStringLiteral("cloudURL"), cloudURL); });
        instance_ = std::make_unique<SingleInstance>(instanceName_);
        instance_->claim({QStringLiteral("quillmarsh")});
        connect(instance_.get(), &SingleInstance::argumentsReceived, &fixture_->delegate(),
                &AppDelegate::handleArguments);
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("appModel"), &fixture_->delegate().model());
        engine->rootContext()->setContextProperty(QStringLiteral("accounts"), this);
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        fixture_.reset();
    }
    void open(const QUrl& url) { opened_ = url; }

public:
    // `quillmarsh URL` hands the address over, from a thread of its own as a second process
    // would, while this one's event loop serves it.
    Q_INVOKABLE void returnTo(const QUrl& url)
    {
        const QStringList arguments{QStringLiteral("quillmarsh"), url.toString(QUrl::FullyEncoded)};
        QThread* start = QThread::create([&] { SingleInstance(instanceName_).claim(arguments); });
        start->start();
        while (!start->wait(10))
            QCoreApplication::processEvents();
        delete start;
    }
    // The last page the application opened in the browser.
    Q_INVOKABLE QUrl opened() const { return opened_; }
    Q_INVOKABLE QUrl emailLinkReturn() const { return auth_->emailLinkReturn(); }
    Q_INVOKABLE QUrl googleReturn(const QUrl& page) { return auth_->googleReturn(page); }
    Q_INVOKABLE void refuseNextLink(int status, const QString& body)
    {
        auth_->refuseNext("/auth/v1/otp", HttpResponse::json(status, body.toUtf8()));
    }
    // The account server's answer to the export ("GET") or the deletion ("DELETE").
    Q_INVOKABLE void answer(const QByteArray& method, int status, const QString& body)
    {
        server_->route(method, method == "GET" ? "/v1/me/export" : "/v1/me",
                       [status, body](const HttpRequest&) { return HttpResponse::json(status, body.toUtf8()); });
    }
    Q_INVOKABLE bool logMentions(const QString& text) const { return log_->mentions(text); }
    Q_INVOKABLE int accountRequests() const { return static_cast<int>(server_->requests().size()); }
    // A file below the home folder, or "<missing>".
    Q_INVOKABLE QString savedFile(const QString& path) const
    {
        QFile file(home_.filePath(path));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
    }
    // A path below the home folder, made absolute.
    Q_INVOKABLE QString inHome(const QString& path) const { return home_.filePath(path); }
    Q_INVOKABLE void makeFolder(const QString& path) const { QDir(home_.path()).mkpath(path); }

    Q_INVOKABLE bool saveDialogOpen() const { return saveDialog() != nullptr; }
    Q_INVOKABLE QString saveDialogName() const { return nameField()->text(); }
    Q_INVOKABLE QString saveButtonText() const
    {
        return saveDialog()->findChild<QDialogButtonBox*>()->buttons().first()->text();
    }
    Q_INVOKABLE void typeName(const QString& text)
    {
        nameField()->clear();
        QTest::keyClicks(nameField(), text);
    }
    // As a double-click on a folder in the list does.
    Q_INVOKABLE void openFolder(const QString& path) { saveDialog()->setDirectory(home_.filePath(path)); }
    Q_INVOKABLE void pressSave() { QTest::keyClick(nameField(), Qt::Key_Return); }
    Q_INVOKABLE void cancelSave() { saveDialog()->reject(); }

private:
    static QFileDialog* saveDialog()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(window); dialog && dialog->isVisible())
                return dialog;
        }
        return nullptr;
    }
    static QLineEdit* nameField() { return saveDialog()->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

    std::unique_ptr<TestAuthService> auth_;
    std::unique_ptr<TestHttpServer> server_;
    QTemporaryDir home_;
    const QString instanceName_ = QStringLiteral("quillmarsh-test-") + QUuid::createUuid().toString(QUuid::Id128);
    std::unique_ptr<AppFixture> fixture_;
    std::unique_ptr<SingleInstance> instance_;
    QUrl opened_;
    std::unique_ptr<LogLines> log_;
};

// The save dialog is a widget, so the tests run in a widget application, as the program does.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    AccountWorld world;
#ifdef QUICK_TEST_SOURCE_DIR
    return quick_test_main_with_setup(argc, argv, "AccountPaneTests", QUICK_TEST_SOURCE_DIR, &world);
#else
    return quick_test_main_with_setup(argc, argv, "AccountPaneTests", nullptr, &world);
#endif
}
#include "AccountPaneTests.moc"
