#pragma once
// The audio source of every dictation: the sound server's default input at the moment each
// dictation starts, on the server's thread, converted to 16 kHz mono float samples with their level.

#include "Core/Error.h"
#include "Recognition/SpeechEngine.h"

#include <functional>
#include <memory>

// The audio input's own failure to start (no input, sound server unreachable, a format that
// can't be converted).
class AudioInputError : public Error {
public:
    using Error::Error;
};

class Microphone final : public AudioSource {
public:
    enum class Permission { notDetermined, restricted, denied, authorized };

    Microphone();
    ~Microphone() override;
    Microphone(const Microphone&) = delete;
    Microphone& operator=(const Microphone&) = delete;

    // Throws AudioInputError when there is no input device, the input reports an error or no
    // converter can be made from its format. Calling it while running does nothing. After it
    // returns, onAudio is called on the server's thread.
    void start() override;
    // After it returns, onAudio is not called again.
    void stop() override;
    bool isRunning() const { return recording_ != nullptr; }

    // This system has no capture prompt: capture is authorised when an input device exists,
    // restricted when there is none.
    static Permission permission();
    // Answers at once, on the calling thread.
    static void requestPermission(const std::function<void(bool)>& answer);

private:
    class Recording;

    std::unique_ptr<Recording> recording_;
};
