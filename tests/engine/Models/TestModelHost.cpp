#include "TestModelHost.h"

#include "ModelFileHelpers.h"

#include <QJsonArray>
#include <QJsonDocument>

TestModelHost::TestModelHost()
{
    manifest.insert(QStringLiteral("schema"), 1);
    manifest.insert(QStringLiteral("families"), QJsonObject());
    server.route("GET", "/models/manifest.json",
                 [this](const HttpRequest&) { return HttpResponse::json(200, QJsonDocument(manifest).toJson()); });
}

QByteArray TestModelHost::blobPath(const QString& package, const QString& name)
{
    return "/models/blobs/" + package.toUtf8() + '/' + name.toUtf8();
}

QJsonArray TestModelHost::entries(const QString& blobFolder, const Files& files)
{
    QJsonArray list;
    for (const auto& [name, bytes] : files) {
        list.append(QJsonObject{{QStringLiteral("name"), name},
                                {QStringLiteral("size"), static_cast<double>(bytes.size())},
                                {QStringLiteral("sha256"), sha256Hex(bytes)},
                                {QStringLiteral("blob"), QStringLiteral("blobs/") + blobFolder + u'/' + name}});
        server.route("GET", blobPath(blobFolder, name),
                     [content = bytes](const HttpRequest& request) { return HttpResponse::file(content, request); });
    }
    return list;
}

void TestModelHost::publish(const Files& files)
{
    setFileList(entries(QStringLiteral("320ms"), files));
}

void TestModelHost::editEntry(int index, const std::function<void(QJsonObject&)>& change)
{
    QJsonArray files = manifest[QStringLiteral("families")][QStringLiteral("v1")][QStringLiteral("packages")]
                               [QStringLiteral("320ms")][QStringLiteral("files")]
                                   .toArray();
    QJsonObject entry = files.at(index).toObject();
    change(entry);
    files.replace(index, entry);
    setFileList(files);
}

void TestModelHost::setFileList(const QJsonArray& files)
{
    const QJsonObject package{{QStringLiteral("files"), files}};
    manifest.insert(
        QStringLiteral("families"),
        QJsonObject{{QStringLiteral("v1"),
                     QJsonObject{{QStringLiteral("packages"), QJsonObject{{QStringLiteral("320ms"), package}}}}}});
}

void TestModelHost::publishPunctuation(const Files& files)
{
    manifest.insert(QStringLiteral("punctuation"),
                    QJsonObject{{QStringLiteral("files"), entries(QStringLiteral("punctuation"), files)}});
}
