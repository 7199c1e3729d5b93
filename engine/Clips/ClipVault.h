#pragma once
// The recordings of recent dictations, one FLAC file (16 kHz, mono, 16-bit) per dictation named
// by its history entry's identifier. The folder's content is the whole state; everything is
// private to the user (folder 0700, files 0600), and each is written whole or not at all. Why a
// recording couldn't be kept is remembered for the rest of the run. Saves may run on a thread of
// their own (see ClipWriter); everything else is used from the main thread.

#include "Clips/ClipError.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <QHash>
#include <QSet>

#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

class ClipVault {
public:
    static constexpr double sampleRate = 16000.0;
    static constexpr int keepDays = 7;

    // "QUILLMARSH_CLIPS" when set (a leading ~ is the home folder), else "clips" in the data folder.
    static QString defaultFolder();

    // Writes a whole file as writeFileAtomically does (the same result and `error`).
    using Writer = std::function<std::optional<QString>(const QString& path, const QByteArray& bytes, int* error)>;

    // Creates nothing on disk. The writer is writeFileAtomically unless one is given.
    explicit ClipVault(QString folder, Writer writer = {});

    const QString& folder() const { return folder_; }
    QString url(const QUuid& id) const;
    bool has(const QUuid& id) const;
    // Whether any recording is kept, or may be: a folder that is there but can't be listed may
    // hold some.
    bool holdsAny() const;

    // Replaces any earlier recording of the same id, and returns its path. Throws
    // ClipError::encoding when there is less than 0.3 s of audio or the file can't be written (its
    // reason in plain words: "the disk is full"). Samples beyond ±1 saturate. A recording whose id
    // was removed in this run, before or while it is written, is not kept: the path is empty.
    QString save(std::span<const float> samples, const QUuid& id);
    // Why the recording of the id couldn't be kept, when a save of it failed in this run.
    std::optional<QString> failure(const QUuid& id) const;
    // Removes the temporary files of saves cut short (killed, a power cut) in earlier runs.
    void removeLeftovers() const;
    // Throws ClipError::missing when the file can't be read.
    QByteArray data(const QUuid& id) const;
    // Removing never fails: a file that is already gone is what the caller wanted. A save of the
    // id still to come, or under way, keeps nothing.
    void remove(const QUuid& id);
    void removeAll() const;
    // Removes the recordings last modified more than this many days before now; returns how
    // many it tried to remove.
    int purge(int olderThanDays, const QDateTime& now) const;

    // The peak of each of `bins` equal stretches, scaled so the loudest is 1 (quiet recordings
    // stay small). Empty when there is nothing to draw.
    std::vector<float> waveform(const QUuid& id, int bins) const;
    // 0 when the file can't be read.
    double seconds(const QUuid& id) const;

private:
    QString folder_;
    Writer writer_;
    mutable std::mutex mutex_;
    QHash<QUuid, QString> failures_;
    QSet<QUuid> removed_;
};
