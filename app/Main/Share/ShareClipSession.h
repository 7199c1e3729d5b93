#pragma once
// One request to share a dictation's kept recording: the corrected text, the consent, the
// upload and its outcome, the recording's waveform and its player. The upload outlives the
// session: when its window closed meanwhile, the code still reaches the history entry.

#include "History/HistoryStore.h"
#include "Main/Share/ClipPlayer.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class AppModel;
class Clock;

class ShareClipSession : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made with its share window")

    Q_PROPERTY(QString heard READ heard CONSTANT)
    Q_PROPERTY(QString said READ said WRITE setSaid NOTIFY formChanged)
    Q_PROPERTY(bool agreed READ agreed WRITE setAgreed NOTIFY formChanged)
    Q_PROPERTY(bool showDetails READ showDetails WRITE setShowDetails NOTIFY formChanged)
    // "editing", "sending", "sent" or "failed".
    Q_PROPERTY(QString phase READ phase NOTIFY phaseChanged)
    // The failure's message while failed, the clip's code once sent.
    Q_PROPERTY(QString failure READ failure NOTIFY phaseChanged)
    Q_PROPERTY(QString code READ code NOTIFY phaseChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY canSendChanged)
    Q_PROPERTY(bool copied READ copied NOTIFY copiedChanged)
    // 64 peaks in 0…1, empty when the recording can't be read.
    Q_PROPERTY(QVariantList bars READ bars CONSTANT)
    Q_PROPERTY(ClipPlayer* player READ player CONSTANT)
    Q_PROPERTY(QString summary READ summary CONSTANT)
    Q_PROPERTY(QString consentDetails READ consentDetails CONSTANT)

public:
    enum class Phase { editing, sending, sent, failed };

    // Reads the recording's waveform and loads the player.
    ShareClipSession(const HistoryEntry& entry, AppModel& model, QObject* parent = nullptr);

    void setClock(Clock& clock) { clock_ = &clock; }

    QString heard() const { return entry_.raw; }
    QString said() const { return said_; }
    void setSaid(const QString& said);
    bool agreed() const { return agreed_; }
    void setAgreed(bool agreed);
    bool showDetails() const { return showDetails_; }
    void setShowDetails(bool show);
    QString phase() const;
    QString failure() const { return phase_ == Phase::failed ? outcome_ : QString(); }
    QString code() const { return phase_ == Phase::sent ? outcome_ : QString(); }
    bool canSend() const;
    bool copied() const { return copied_; }
    QVariantList bars() const { return bars_; }
    ClipPlayer* player() { return &player_; }
    QString summary() const;
    QString consentDetails() const;

    // Uploads the recording with the heard and the corrected text; returns at once.
    Q_INVOKABLE void send();
    // Copies the clip's code and confirms it for 2 s.
    Q_INVOKABLE void copyCode();

signals:
    void formChanged();
    void phaseChanged();
    void canSendChanged();
    void copiedChanged();

private:
    void setPhase(Phase phase, const QString& outcome = {});
    void setCopied(bool copied);

    HistoryEntry entry_;
    AppModel& model_;
    Clock* clock_;
    QString said_;
    bool agreed_ = false;
    bool showDetails_ = false;
    Phase phase_ = Phase::editing;
    QString outcome_;
    bool copied_ = false;
    QVariantList bars_;
    ClipPlayer player_;
};
