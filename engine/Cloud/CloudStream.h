#pragma once
// One dictation on the speech server over one WebSocket: streams the audio in 50 ms frames,
// keeps the latest partial text, and ends with the final text, or with the last partial text
// when anything goes wrong. Never throws: a failure is kept for the failover stream to see.

#include "Cloud/CloudConfig.h"
#include "Cloud/MonitoredStream.h"
#include "Core/Clock.h"

#include <QStringList>

#include <memory>
#include <mutex>
#include <vector>

class CloudConnection;
class NetworkThread;

class CloudStream final : public MonitoredStream, public std::enable_shared_from_this<CloudStream> {
public:
    // Connects and sends the start message (it waits until the connection opens); the server
    // then has config.connectTimeout to send "ready".
    static std::shared_ptr<CloudStream> open(std::shared_ptr<NetworkThread> network, const CloudConfig& config,
                                             const QStringList& hotwords, const std::optional<QString>& token,
                                             Clock& clock);
    // Closes the connection with 1001 (harmless once it is closed).
    ~CloudStream() override;

    void accept(std::span<const float> samples) override;
    void decode() override {}
    QString text() override;
    void finish(std::function<void(const QString&)> completion) override;
    void cancel() override;

    bool isReady() override;
    std::optional<CloudError> failure() override;

private:
    CloudStream(const CloudConfig& config, Clock& clock);
    void start(std::shared_ptr<NetworkThread> network, const QStringList& hotwords,
               const std::optional<QString>& token);

    std::vector<QByteArray> takeFramesLocked(bool all);
    void handle(const QByteArray& utf8);
    void complete(const std::optional<QString>& text);
    void fail(const CloudError& error);

    const CloudConfig config_;
    Clock& clock_;
    std::unique_ptr<CloudConnection> connection_;  // set before anything can call in

    std::mutex lock_;
    QString partial_;
    std::vector<float> buffer_;
    bool ready_ = false;
    std::optional<CloudError> failure_;
    std::function<void(const QString&)> done_;
    bool finishing_ = false;
    bool completed_ = false;
    // A cancelled stream never completes, not even for a finish that comes after the cancel.
    bool cancelled_ = false;
    qint64 spokenSamples_ = 0;
    QString completedText_;
};
