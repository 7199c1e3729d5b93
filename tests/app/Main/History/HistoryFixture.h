#pragma once
// The History page's world for tests, in a private folder: a history store seeded with three
// dictations (English today, Persian yesterday with a kept recording, an older one with a shared
// code), the kept recordings, settings, the page model, and a loopback clip server.

#include "TestHttpServer.h"
#include "UserRecords.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QTemporaryDir>

#include <memory>

class HistoryFixture : public QObject {
    Q_OBJECT
    Q_PROPERTY(AppModel* appModel READ appModel CONSTANT)
    Q_PROPERTY(QString english MEMBER english_ CONSTANT)
    Q_PROPERTY(QString persian MEMBER persian_ CONSTANT)
    Q_PROPERTY(QString shared MEMBER shared_ CONSTANT)
    // The entry the page last asked to share.
    Q_PROPERTY(QString shareRequest MEMBER shareRequest_ CONSTANT)

public:
    explicit HistoryFixture(QObject* parent = nullptr);
    ~HistoryFixture() override;

    AppModel* appModel() { return &records_.model; }
    ClipVault& vault() { return records_.vault; }
    TestHttpServer& server() { return server_; }
    const HistoryEntry& entry(const QString& id) const;

    // The clip server answers the withdrawal of the shared clip (or every upload) with this status and JSON body.
    Q_INVOKABLE void answerWithdrawals(int status, const QString& body = {}, int delayMs = 0);
    Q_INVOKABLE void answerUploads(int status, const QString& body = {}, int delayMs = 0);
    // Without a clip server, as when no formatting server is configured.
    Q_INVOKABLE void forgetServer();
    // The clip code history.json holds for the entry, or "none".
    QString storedCode(const QString& id) const;

private:
    void answer(const QByteArray& method, const QByteArray& path, int status, const QString& body, int delayMs);

    QTemporaryDir folder_;
    TestHttpServer server_;
    QNetworkAccessManager session_;
    UserRecords records_{folder_.path(), QTimeZone::systemTimeZone()};
    QString english_, persian_, shared_, shareRequest_;
};
