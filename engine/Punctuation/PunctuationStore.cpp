#include "Punctuation/PunctuationStore.h"

#include "Core/Settings.h"
#include "Models/ModelStore.h"

#include <QDir>
#include <QFileInfo>

namespace PunctuationStore {

QString directory()
{
    if (const auto path = Environment::value("QUILLMARSH_PUNCT_DIR"))
        return Environment::expandTilde(*path);
    return ModelStore::root() + QStringLiteral("/punctuation");
}

bool isInstalled()
{
    const QDir folder(directory());
    return QFileInfo::exists(folder.filePath(modelFile)) && QFileInfo::exists(folder.filePath(tokenizerFile));
}

}
