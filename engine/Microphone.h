#pragma once
// The audio source of every dictation: the default audio input through Qt Multimedia, on an
// audio thread of its own, converted to 16 kHz mono float samples with their level.

#include "Core/Error.h"
#include "SpeechEngine.h"

#include <QtGlobal>

#include <functional>
#include <memory>

QT_BEGIN_NAMESPACE
class QThread;
QT_END_NAMESPACE

// The audio input's own failure to start (device busy or gone, sound server unreachable).
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

    // Throws AudioInputError when there is no input device or the input reports an error, and
    // AudioFileError when no converter can be made from the input's format. Calling it
    // while running does nothing. After it returns, onAudio is called on the audio thread.
    void start() override;
    // After it returns, onAudio is not called again.
    void stop() override;
    bool isRunning() const { return running_; }

    // This system has no capture prompt: capture is authorised when an input device exists,
    // restricted when there is none.
    static Permission permission();
    // Answers at once, on the calling thread.
    static void requestPermission(const std::function<void(bool)>& answer);

private:
    class Capture;

    void shutDown();

    std::unique_ptr<QThread> thread_;
    Capture* capture_ = nullptr;  // lives on thread_
    bool running_ = false;
};
