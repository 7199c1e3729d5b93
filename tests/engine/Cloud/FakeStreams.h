#pragma once
// Streams and engines that record what they are given, for the failover and router tests.

#include "Cloud/CloudError.h"
#include "Cloud/MonitoredStream.h"
#include "Recognition/SpeechEngine.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A local stream: its final text tells how many samples it was given.
class FakeLocalStream : public SpeechStream {
public:
    std::vector<float> samples;
    int decodes = 0;
    bool cancelled = false;
    bool finished = false;

    void accept(std::span<const float> block) override { samples.insert(samples.end(), block.begin(), block.end()); }
    void decode() override { ++decodes; }
    QString text() override { return QStringLiteral("local %1").arg(samples.size()); }
    void finish(std::function<void(const QString&)> completion) override
    {
        finished = true;
        completion(text());
    }
    void cancel() override { cancelled = true; }
};

// A server stream whose health the test sets; finish waits until the test completes it.
class FakeServerStream : public MonitoredStream {
public:
    std::vector<float> samples;
    bool ready = false;
    std::optional<CloudError> failed;
    bool cancelled = false;
    QString partial = QStringLiteral("server partial");
    std::function<void(const QString&)> done;

    void accept(std::span<const float> block) override { samples.insert(samples.end(), block.begin(), block.end()); }
    void decode() override {}
    QString text() override { return partial; }
    void finish(std::function<void(const QString&)> completion) override { done = std::move(completion); }
    void cancel() override { cancelled = true; }
    bool isReady() override { return ready; }
    std::optional<CloudError> failure() override { return failed; }
};

// An engine that hands out the streams the test prepared, or throws.
class FakeEngine : public SpeechEngine {
public:
    std::function<std::shared_ptr<SpeechStream>()> make;
    int opened = 0;
    QStringList lastHotwords;

    std::shared_ptr<SpeechStream> openStream(const QStringList& hotwords) override
    {
        ++opened;
        lastHotwords = hotwords;
        return make();
    }
};
