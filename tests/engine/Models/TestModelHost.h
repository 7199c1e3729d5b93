#pragma once
// A model host on the loopback server: "manifest.json" under /models/ and each published file
// under /models/blobs/<package>/<name>, answered with ranges as a file server does.

#include "TestHttpServer.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <utility>
#include <vector>

class TestModelHost {
public:
    using Files = std::vector<std::pair<QString, QByteArray>>;

    TestModelHost();

    QUrl base() const { return server.url(QStringLiteral("/models/")); }
    static QByteArray blobPath(const QString& package, const QString& name);

    // Lists the files (their true sizes and digests) in the manifest as family "v1", package
    // "320ms", and serves them.
    void publish(const Files& files);
    void publishPunctuation(const Files& files);
    // Changes the manifest entry of one published package file, e.g. to give it a wrong size.
    void editEntry(int index, const std::function<void(QJsonObject&)>& change);
    // The manifest as served; tests may edit it between publish() and the first request.
    QJsonObject manifest;

    TestHttpServer server;

private:
    QJsonArray entries(const QString& blobFolder, const Files& files);
    void setFileList(const QJsonArray& files);
};
