#pragma once
// The one error of the punctuation path: the ONNX Runtime session, the tokenizer and the
// punctuator all throw it, and its text is what gets logged when punctuating fails.

#include "Core/Error.h"

class OnnxError : public Error {
public:
    using Error::Error;
};
