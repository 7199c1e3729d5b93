#include "PunctuationFolders.h"

#include "TestSupport.h"

#include <QFile>
#include <QJsonDocument>

#include <stdexcept>

namespace {

QJsonObject testTokenizer()
{
    QFile file(TestModels::punctuation() + QStringLiteral("/tokenizer.json"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the test tokenizer is missing");
    return QJsonDocument::fromJson(file.readAll()).object();
}

}

PunctuationFolder::PunctuationFolder(const QString& model, const std::function<void(QJsonObject&)>& editTokenizer)
{
    if (!QFile::copy(TestModels::punctuation() + u'/' + model, dir_.filePath(QStringLiteral("model.onnx"))))
        throw std::runtime_error("couldn't copy the test model");
    QJsonObject tokenizer = testTokenizer();
    if (editTokenizer)
        editTokenizer(tokenizer);
    QFile file(tokenizerPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(tokenizer).toJson()) < 0)
        throw std::runtime_error("couldn't write the test tokenizer");
}

QString PunctuationFolder::tokenizerPath() const
{
    return dir_.filePath(QStringLiteral("tokenizer.json"));
}
