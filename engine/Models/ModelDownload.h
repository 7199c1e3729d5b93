#pragma once
// Where the speech-model installer gets its files: the model host, or a folder on this computer.

#include "ModelFamily.h"
#include "ModelSource.h"

#include <QUrl>

#include <memory>

namespace ModelDownloads {

// The built-in model host.
QUrl defaultBase();
// "QUILLMARSH_MODELS_URL" when set to an address the URL parser accepts, else the built-in host.
QUrl base();
// A local copy when "QUILLMARSH_MODEL_SOURCE" is set (even empty) or for family v2_1; else a
// download of family v1 from base() in up to 6 attempts per file.
std::shared_ptr<ModelSource> source(ModelFamily family);

}
