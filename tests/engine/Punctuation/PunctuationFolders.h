#pragma once
// Folders holding a punctuation model the way the punctuator expects them, made from the
// synthetic models: any of the model variants as "model.onnx", and the test tokenizer as it is
// or with its description changed.

#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <functional>

class PunctuationFolder {
public:
    // `model` is one of the synthetic model files ("model.onnx", "model-three-labels.onnx", ...).
    explicit PunctuationFolder(const QString& model = QStringLiteral("model.onnx"),
                               const std::function<void(QJsonObject&)>& editTokenizer = {});

    QString path() const { return dir_.path(); }
    QString tokenizerPath() const;

private:
    QTemporaryDir dir_;
};
