// A model file is whole when every top-level field of its message ends within the file and the
// graph is among them: what a download cut short or a file overwritten never is.
#include "Recognition/OnnxModelFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString written(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

}

TEST(OnnxModelFile, TheModelsFilesAreWholeAndNothingShortOfThemIs)
{
    const QTemporaryDir folder;
    for (const char* name : {"encoder.onnx", "decoder.onnx", "joiner.onnx"}) {
        QFile model(QDir(TestModels::transducer()).filePath(name));
        ASSERT_TRUE(model.open(QIODevice::ReadOnly));
        const QByteArray bytes = model.readAll();
        EXPECT_TRUE(isWholeOnnxModel(model.fileName())) << name;
        EXPECT_FALSE(isWholeOnnxModel(written(folder, QStringLiteral("short"), bytes.chopped(1)))) << name;
        EXPECT_FALSE(isWholeOnnxModel(written(folder, QStringLiteral("half"), bytes.first(bytes.size() / 2)))) << name;
    }
    EXPECT_FALSE(isWholeOnnxModel(written(folder, QStringLiteral("text"), "not a model")));
    EXPECT_FALSE(isWholeOnnxModel(written(folder, QStringLiteral("empty"), {})));
    // A well-formed message with no graph: its version alone.
    EXPECT_FALSE(isWholeOnnxModel(written(folder, QStringLiteral("no graph"), QByteArray("\x08\x07", 2))));
    EXPECT_FALSE(isWholeOnnxModel(folder.filePath(QStringLiteral("missing"))));
}
