#pragma once
// Where the punctuation model lives and whether it is there: "model.onnx" and "tokenizer.json"
// in one folder, the "punctuation" folder among the models unless "QUILLMARSH_PUNCT_DIR" names
// another. Holds no state; may be called from any thread.

#include <QString>

namespace PunctuationStore {

inline const QString modelFile = QStringLiteral("model.onnx");
inline const QString tokenizerFile = QStringLiteral("tokenizer.json");

QString directory();
// Both files exist; nothing else (size, checksum) is looked at.
bool isInstalled();

}
