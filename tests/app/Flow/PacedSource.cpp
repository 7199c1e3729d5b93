#include "PacedSource.h"

#include "TestSupport.h"

#include <chrono>
#include <cmath>

void PacedSource::start()
{
    thread_ = std::thread([this] {
        auto due = std::chrono::steady_clock::now();
        for (size_t first = 0; first < audio_.size() && !stopping_; first += blockSize) {
            const auto end = audio_.begin() + static_cast<long>(std::min(audio_.size(), first + blockSize));
            std::vector<float> block(audio_.begin() + static_cast<long>(first), end);
            double sum = 0;
            for (float sample : block)
                sum += double(sample) * sample;
            onAudio(block, static_cast<float>(std::sqrt(sum / double(block.size()))));
            due += std::chrono::milliseconds(100);
            std::this_thread::sleep_until(due);
        }
        played_ = true;
    });
}

void PacedSource::stop()
{
    stopping_ = true;
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
