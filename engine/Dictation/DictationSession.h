#pragma once
// One dictation from the first audio block to the final text: joins an audio source to a speech
// stream and keeps every call on the stream on one serial queue of its own, so the stream never
// sees two calls at once nor audio after it was finished or cancelled. Levels, changed partial
// text and the final text reach the main thread.

#include "Core/Lifeline.h"
#include "Recognition/SpeechEngine.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DictationSession {
public:
    using SourceFactory = std::function<std::shared_ptr<AudioSource>()>;

    // The most samples kept for a recording: 600 s of 16 kHz audio.
    static constexpr size_t maxRecordedSamples = 9'600'000;

    // Opens the stream, then makes the source. When opening throws, the error leaves here and
    // the factory is not called.
    DictationSession(SpeechEngine& engine, const QStringList& hotwords, const SourceFactory& makeSource);
    ~DictationSession();
    DictationSession(const DictationSession&) = delete;
    DictationSession& operator=(const DictationSession&) = delete;

    // Set before start(); called on the main thread.
    std::function<void(const Partial&)> onPartial;
    std::function<void(float level)> onLevel;
    // The source's input went away while it ran (see AudioSource::onFailure).
    std::function<void(const QString& reason)> onInputLost;
    bool keepsAudio = false;

    // Starts the source; throws what the source's start() throws.
    void start();
    // Stops the source and finishes the stream. The completion runs on the main thread, at most
    // once, and never after a cancel.
    void finish(std::function<void(const QString& text)> completion);
    // Stops the source and cancels the stream.
    void cancel();
    // Hands over the kept samples, after every block that arrived before this call: a long
    // recording moves, never copied. Not on the decode queue.
    std::vector<float> takeRecordedAudio();
    // Why the stream failed, from a stream that can tell (the speech server's); nothing while
    // it is healthy.
    std::optional<QString> failure() const;

private:
    struct Decoder;

    const Lifeline<DictationSession> self_;  // lets work posted to the main thread see it is gone
    std::shared_ptr<Decoder> decoder_;
    std::shared_ptr<AudioSource> source_;
};
