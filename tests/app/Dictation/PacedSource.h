#pragma once
// A microphone that plays given audio at the pace of real time, in blocks of 0.1 s, from a
// thread of its own, then goes on delivering silent blocks until it is stopped, as a microphone
// does while the key is still held; and an utterance the synthetic recognisers read as
// "HELLO WORLD".

#include "Recognition/SpeechEngine.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class PacedSource final : public AudioSource {
public:
    static constexpr size_t blockSize = 1600;

    // The audio must outlive the source.
    explicit PacedSource(const std::vector<float>& audio) : audio_(audio) {}
    ~PacedSource() override { stop(); }

    void start() override;
    void stop() override;
    bool played() const { return played_; }

    // Silence, a second and a half of noise, silence.
    static std::vector<float> utterance();

private:
    const std::vector<float>& audio_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::atomic<bool> played_{false};
};
