#pragma once
// Reads a whole audio file (any format libsndfile reads) into the system's format: 32-bit float
// samples, mono, 16,000 per second. Used to feed a recorded file through the engine.

#include "Core/Error.h"

#include <vector>

class AudioFileError : public Error {
public:
    enum class Kind { unreadable };

    static AudioFileError unreadable(const QString& reason) { return AudioFileError(reason); }

    Kind kind() const { return Kind::unreadable; }
    const QString& reason() const { return reason_; }

private:
    explicit AudioFileError(const QString& reason)
        : Error(QStringLiteral("could not read audio: ") + reason), reason_(reason)
    {
    }

    QString reason_;
};

namespace AudioFile {
// Works synchronously on the calling thread. Throws AudioFileError.
std::vector<float> load16kMono(const QString& path);
}
