#pragma once
// The audio source of every dictation: the sound server's default input at the moment each
// dictation starts, on the server's thread, converted to 16 kHz mono float samples with their level.

#include "Recognition/SpeechEngine.h"
#include "Sound/AudioInputError.h"

#include <memory>

class Microphone final : public AudioSource {
public:
    // Whether capture is allowed; this system has no prompt: authorised when an input exists.
    enum class Permission { notDetermined, restricted, denied, authorized };

    Microphone();
    ~Microphone() override;
    Microphone(const Microphone&) = delete;
    Microphone& operator=(const Microphone&) = delete;

    // Throws AudioInputError when there is no sound server, no input of its own (an output's
    // monitor is none), the input reports an error or no converter can be made from its format.
    // Calling it while running does nothing. After it returns, onAudio is called on the server's
    // thread, and onFailure there when the input goes away (unplugged, the server ended): the
    // recording keeps to the input it started on.
    void start() override;
    // After it returns, neither onAudio nor onFailure is called again.
    void stop() override;
    bool isRunning() const { return recording_ != nullptr; }

private:
    class Recording;

    std::unique_ptr<Recording> recording_;
};
