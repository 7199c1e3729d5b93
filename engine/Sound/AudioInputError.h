#pragma once
// Why the audio input can't be recorded, or stopped being recorded, in sentences the user reads.

#include "Core/Error.h"

class AudioInputError : public Error {
public:
    // No sound server to record through.
    static AudioInputError noServer()
    {
        return AudioInputError(QStringLiteral("No sound server is running, so the microphone can\u2019t be used."));
    }
    // The server has no input of its own: none at all, or only an output's monitor.
    static AudioInputError noMicrophone()
    {
        return AudioInputError(
            QStringLiteral("There\u2019s no microphone. Plug one in, or choose one in the sound settings."));
    }
    // The default input is what the speakers play, while a microphone is there to choose instead.
    static AudioInputError monitorChosen()
    {
        return AudioInputError(QStringLiteral(
            "The default input is the speakers\u2019 monitor. Choose a microphone in the sound settings."));
    }
    // The input went away (unplugged, or the server ended) while it was recorded.
    static AudioInputError stopped() { return AudioInputError(QStringLiteral("The microphone stopped.")); }
    // Anything else the server or the conversion reports.
    static AudioInputError other(const QString& reason)
    {
        return AudioInputError(QStringLiteral("The microphone couldn\u2019t start (") + reason + QStringLiteral(")."));
    }

private:
    using Error::Error;
};
