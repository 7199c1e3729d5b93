// Runs the Account page's Qt Quick tests over the application's delegate. Its accounts talk to a
// loopback auth service and account server; the browser is played by `accounts`: it catches the
// pages the application opens and returns to the application the way a browser does, by a
// second start of the program that hands the address to the running one.
#include "AppDelegate.h"
#include "AppFixture.h"
#include "Fonts.h"
#include "SingleInstance.h"
#include "TestAuthService.h"

#include <QDesktopServices>
#include <QFile>
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
    Q_PROPERTY(QUrl opened MEMBER opened_ NOTIFY openedChanged)
    Q_PROPERTY(int accountRequests READ accountRequests)
    Q_PROPERTY(QString lastBearer READ lastBearer)

public:
    AccountWorld() : auth_([] { return QDateTime::currentSecsSinceEpoch(); })
    {
        // The save dialog starts in the home's Documents folder.
        qputenv("HOME", QFile::encodeName(files_.path()));
        qputenv("QUILLMARSH_ACCOUNT_SESSION", "memory");
        qputenv("QUILLMARSH_SUPABASE_URL", auth_.config().baseURL.toEncoded());
        qputenv("QUILLMARSH_SUPABASE_KEY", TestAuthService::key.toUtf8());
        qputenv("QUILLMARSH_CLOUD_URL", QByteArrayLiteral("ws://127.0.0.1:") + QByteArray::number(server_.port()));
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        answerExport(200, QStringLiteral("{}"));
        answerDelete(204);
    }
    ~AccountWorld() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

    // The running instance the browser's return reaches.
    void listen(AppDelegate& delegate)
    {
        instance_ = std::make_unique<SingleInstance>(instanceName_);
        instance_->claim({QStringLiteral("quillmarsh")});
        connect(instance_.get(), &SingleInstance::argumentsReceived, &delegate, &AppDelegate::handleArguments);
    }

    // The browser comes back: `quillmarsh URL` starts and hands the address over. It runs in a
    // thread of its own, as a second process would, while this one's event loop serves it.
    Q_INVOKABLE void returnTo(const QUrl& url)
    {
        const QStringList arguments{QStringLiteral("quillmarsh"), url.toString(QUrl::FullyEncoded)};
        QThread* start = QThread::create([&] { SingleInstance(instanceName_).claim(arguments); });
        start->start();
        while (!start->wait(10))
            QCoreApplication::processEvents();
        delete start;
    }
    Q_INVOKABLE QUrl emailLinkReturn() const { return auth_.emailLinkReturn(); }
    Q_INVOKABLE QUrl googleReturn(const QUrl& page) { return auth_.googleReturn(page); }
    Q_INVOKABLE void refuseNextLink(int status, const QString& body)
    {
        auth_.refuseNextLink(HttpResponse::json(status, body.toUtf8()));
    }

    Q_INVOKABLE void answerExport(int status, const QString& body)
    {
        server_.route("GET", "/v1/me/export",
                      [status, body](const HttpRequest&) { return HttpResponse::json(status, body.toUtf8()); });
    }
    Q_INVOKABLE void answerDelete(int status)
    {
        server_.route("DELETE", "/v1/me", [status](const HttpRequest&) { return HttpResponse::json(status, {}); });
    }
    int accountRequests() const { return static_cast<int>(server_.requests().size()); }
    QString lastBearer() const
    {
        const auto requests = server_.requests();
        return requests.isEmpty() ? QString() : QString::fromUtf8(requests.last().header("Authorization"));
    }

    Q_INVOKABLE QUrl fileURL(const QString& name) const { return QUrl::fromLocalFile(files_.filePath(name)); }
    Q_INVOKABLE QString read(const QUrl& file) const
    {
        QFile opened(file.toLocalFile());
        return opened.open(QIODevice::ReadOnly) ? QString::fromUtf8(opened.readAll()) : QStringLiteral("<missing>");
    }

public slots:
    void open(const QUrl& url)
    {
        opened_ = url;
        emit openedChanged();
    }

signals:
    void openedChanged();

private:
    TestAuthService auth_;
    TestHttpServer server_;
    QTemporaryDir files_;
    const QString instanceName_ = QStringLiteral("quillmarsh-test-") + QUuid::createUuid().toString(QUuid::Id128);
    std::unique_ptr<SingleInstance> instance_;
    QUrl opened_;
};

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        Fonts::registerFonts();
        world_ = std::make_unique<AccountWorld>();
        fixture_ = std::make_unique<AppFixture>();
        world_->listen(fixture_->delegate());
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("appModel"), &fixture_->delegate().model());
        engine->rootContext()->setContextProperty(QStringLiteral("accounts"), world_.get());
    }
    void cleanupTestCase()
    {
        fixture_.reset();
        world_.reset();
    }

private:
    std::unique_ptr<AccountWorld> world_;
    std::unique_ptr<AppFixture> fixture_;
};

QUICK_TEST_MAIN_WITH_SETUP(AccountPaneTests, Setup)
#include "AccountPaneTests.moc"
