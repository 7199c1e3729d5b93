#include "PacedSource.h"

#include "TestSupport.h"

#include <chrono>
#include <cmath>

void PacedSource::start()
{
    thread_ = std::thread([this] {
        const std::vector<float> silence(blockSize, 0.0f);
        auto due = std::chrono::steady_clock::now();
        for (size_t first = 0;; first += blockSize) {
            std::vector<float> block = silence;
            if (first < audio_.size()) {
                const auto end = audio_.begin() + static_cast<long>(std::min(audio_.size(), first + blockSize));
                block.assign(audio_.begin() + static_cast<long>(first), end);
            }
            double sum = 0;
            for (float sample : block)
                sum += double(sample) * sample;
            onAudio(block, static_cast<float>(std::sqrt(sum / double(block.size()))));
            due += std::chrono::milliseconds(100);
            std::unique_lock lock(mutex_);
            if (wake_.wait_until(lock, due, [this] { return stopping_; }))
                return;
            if (first + blockSize >= audio_.size())
                played_ = true;
        }
    });
}

void PacedSource::stop()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

std::vector<float> PacedSource::utterance()
{
    std::vector<float> audio = TestAudio::silence(0.3);
    for (const auto& part : {TestAudio::noise(1.5), TestAudio::silence(0.4)})
        audio.insert(audio.end(), part.begin(), part.end());
    return audio;
}
