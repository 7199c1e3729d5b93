#pragma once
// The three interfaces every recogniser and audio source meets the rest of the system through,
// and the text record shown while the user speaks. Audio inside the system is 32-bit float,
// mono, 16,000 samples per second, nominally within [-1, 1].

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <span>
#include <vector>

// The text recognised so far, split into words, with how many trailing words may still change.
struct Partial {
    QString text;
    QStringList words;
    int settlingCount = 0;

    static const Partial empty;

    bool operator==(const Partial&) const = default;
};

inline const Partial Partial::empty{};

// One running recognition. Callers make every call from one serial queue; for each block the
// order is accept, decode, then text; finish or cancel comes at most once and no block follows.
class SpeechStream {
public:
    virtual ~SpeechStream() = default;

    virtual void accept(std::span<const float> samples) = 0;
    virtual void decode() = 0;
    virtual QString text() = 0;
    // The completion receives the final text exactly once (unless cancel came first), either
    // inside this call or later on any thread.
    virtual void finish(std::function<void(const QString&)> completion) = 0;
    virtual void cancel() = 0;
};

// Opens one stream per dictation, biased towards the user's vocabulary. May throw an Error.
class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;

    virtual std::shared_ptr<SpeechStream> openStream(const QStringList& hotwords) = 0;
};

// A source of samples with their level (the block's root mean square).
class AudioSource {
public:
    using Callback = std::function<void(const std::vector<float>& samples, float level)>;
    using FailureCallback = std::function<void(const QString& reason)>;

    virtual ~AudioSource() = default;

    // Called on the source's own thread, once per converted block. Set before start().
    Callback onAudio;
    // Called on the source's own thread, at most once, when the input ends by itself while it
    // runs (unplugged, say); no audio follows. `reason` is a sentence the user reads. Set before
    // start().
    FailureCallback onFailure;

    // Called on the main thread. start() may throw an Error; stop() accepts a source that never
    // started or is already stopped.
    virtual void start() = 0;
    virtual void stop() = 0;
};
