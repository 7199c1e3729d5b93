#pragma once
// The settings the local recogniser is made from: the model folder and four values, each with a
// default that an environment variable can replace. Variables are read when a value is built.

#include "Models/ModelPackage.h"

#include <QString>

struct RecognizerConfig {
    QString modelDir;
    int threads = 2;  // "QUILLMARSH_THREADS" (1 to mostThreads) replaces
    QString provider = QStringLiteral("cpu");
    QString language = QStringLiteral("fa-IR");  // every stream's "language" option
    double tailSeconds = 2.0;  // silence fed when a stream finishes

    // The model folder: "QUILLMARSH_MODEL_DIR" when set, else the package's store folder when
    // it is installed, else the package's developer fallback folder. Nothing is checked here.
    explicit RecognizerConfig(ModelPackage package);
    // The tail: "QUILLMARSH_TAIL_SECONDS" when it is a finite number from 0 to 60, else 0.8 s for
    // a folder named exactly "320ms" and 2.0 s for any other.
    explicit RecognizerConfig(QString modelDir);

    // The library's thread pools don't survive absurd counts (thousands stall the load, the
    // 32-bit maximum ends the process); no machine we run on needs more than this.
    static constexpr int mostThreads = 64;

    static constexpr ModelPackage::Value defaultPackage = ModelPackage::fast;
    static QString defaultModelDir();

    bool operator==(const RecognizerConfig&) const = default;
};
