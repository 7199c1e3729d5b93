#pragma once
// Whether a file holds a whole ONNX model, as far as its outer structure goes: a protocol-buffer
// message whose top-level fields each end within the file, with the model's graph among them. A
// download cut short or a file overwritten fails this; only the fields' heads are read, so a
// model of hundreds of megabytes costs a few small reads.

#include <QString>

bool isWholeOnnxModel(const QString& path);
