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

void TestModelHost::publish(const QString& family, const QString& package, const Files& files)
{
    setFileList(family, package, entries(package, files));
}

void TestModelHost::editEntry(const QString& family, const QString& package, int index,
                              const std::function<void(QJsonObject&)>& change)
{
    QJsonArray files =
        manifest.value(QStringLiteral("families"))[family][QStringLiteral("packages")][package][QStringLiteral("files")]
            .toArray();
    QJsonObject entry = files.at(index).toObject();
    change(entry);
    files.replace(index, entry);
    setFileList(family, package, files);
}

void TestModelHost::setFileList(const QString& family, const QString& package, const QJsonArray& files)
{
    QJsonObject families = manifest.value(QStringLiteral("families")).toObject();
    QJsonObject familyObject = families.value(family).toObject();
    QJsonObject packages = familyObject.value(QStringLiteral("packages")).toObject();
    packages.insert(package, QJsonObject{{QStringLiteral("files"), files}});
    familyObject.insert(QStringLiteral("packages"), packages);
    families.insert(family, familyObject);
    manifest.insert(QStringLiteral("families"), families);
}

void TestModelHost::publishPunctuation(const Files& files)
{
    manifest.insert(QStringLiteral("punctuation"),
                    QJsonObject{{QStringLiteral("files"), entries(QStringLiteral("punctuation"), files)}});
}
