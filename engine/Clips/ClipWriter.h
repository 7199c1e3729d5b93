#pragma once
// Keeps recordings without holding up the main thread: each recording handed over is encoded and
// written through the vault on a queue of its own, in the order handed over, and what became of it
// is told on the main thread. A long recording takes seconds to encode and sync to disk.

#include "Core/SerialQueue.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ClipVault;

class ClipWriter {
public:
    // On the main thread: why the recording wasn't kept (see ClipVault::save), or nothing.
    using Done = std::function<void(const std::optional<QString>& failure)>;

    // The vault must outlive the writer.
    explicit ClipWriter(ClipVault& vault);
    // Writes every recording already handed over, then ends; none is told once it has begun.
    ~ClipWriter();
    ClipWriter(const ClipWriter&) = delete;
    ClipWriter& operator=(const ClipWriter&) = delete;

    void save(std::vector<float> samples, const QUuid& id, Done done);

private:
    ClipVault& vault_;
    QObject context_;  // receives the outcomes: none arrive once it is gone
    std::unique_ptr<SerialQueue> queue_;  // last: ends before the members it uses
};
