#include "Main/Share/ShareClipSession.h"

#include "Clips/ClipConsent.h"
#include "Clips/ClipVault.h"
#include "Core/Clock.h"
#include "Main/AppModel.h"
#include "Main/PlainClipboard.h"
#include "Shell/AppInfo.h"

#include <QCoreApplication>

#include <chrono>

namespace {
constexpr int waveformBars = 64;
constexpr auto copiedFor = std::chrono::milliseconds(2000);
}

ShareClipSession::ShareClipSession(const HistoryEntry& entry, AppModel& model, QObject* parent)
    : QObject(parent), entry_(entry), model_(model), clock_(&Clock::system()), said_(entry.raw)
{
    for (const float bar : model_.vault().waveform(entry_.id, waveformBars))
        bars_.append(double(bar));
    player_.load(model_.vault().url(entry_.id));
}

void ShareClipSession::setSaid(const QString& said)
{
    if (said_ == said)
        return;
    said_ = said;
    emit formChanged();
    emit canSendChanged();
}

void ShareClipSession::setAgreed(bool agreed)
{
    if (agreed_ == agreed)
        return;
    agreed_ = agreed;
    emit formChanged();
    emit canSendChanged();
}

void ShareClipSession::setShowDetails(bool show)
{
    if (showDetails_ == show)
        return;
    showDetails_ = show;
    emit formChanged();
}

QString ShareClipSession::phase() const
{
    switch (phase_) {
    case Phase::editing:
        return QStringLiteral("editing");
    case Phase::sending:
        return QStringLiteral("sending");
    case Phase::sent:
        return QStringLiteral("sent");
    case Phase::failed:
        break;
    }
    return QStringLiteral("failed");
}

bool ShareClipSession::canSend() const
{
    return agreed_ && phase_ != Phase::sending && !said_.trimmed().isEmpty();
}

QString ShareClipSession::summary() const
{
    return ClipConsent::summary();
}

QString ShareClipSession::consentDetails() const
{
    return ClipConsent::details();
}

void ShareClipSession::send()
{
    if (!canSend())
        return;
    const std::optional<ClipUploader> uploader = model_.uploader();
    if (!uploader) {
        setPhase(Phase::failed,
                 QStringLiteral("Sharing needs the Quillmarsh server, which isn\u2019t set up on this computer."));
        return;
    }
    setPhase(Phase::sending);
    player_.stop();
    QByteArray audio;
    try {
        audio = model_.vault().data(entry_.id);
    } catch (const ClipError& error) {
        setPhase(Phase::failed, error.description());
        return;
    }
    // The answer goes to the history entry whatever became of this session and its window.
    QPointer<HistoryStore> store = model_.history();
    QPointer<ShareClipSession> self = this;
    const QUuid id = entry_.id;
    uploader->send(audio, entry_.raw, said_, QStringLiteral("fa-IR"), AppInfo::version(),
                   [store, self, id](const ClipUploader::SendResult& result) {
                       QObject* home = store ? static_cast<QObject*>(store) : qApp;
                       QMetaObject::invokeMethod(home, [store, self, id, result] {
                           if (const auto* code = std::get_if<QString>(&result)) {
                               if (store)
                                   store->setClipCode(id, *code);
                               if (self)
                                   self->setPhase(Phase::sent, *code);
                           } else if (self) {
                               self->setPhase(Phase::failed, std::get<UploadError>(result).description());
                           }
                       });
                   });
}

void ShareClipSession::copyCode()
{
    PlainClipboard::copy(code());
    setCopied(true);
    QPointer<ShareClipSession> self = this;
    clock_->schedule(copiedFor, [self] {
        if (self)
            self->setCopied(false);
    });
}

void ShareClipSession::setPhase(Phase phase, const QString& outcome)
{
    phase_ = phase;
    outcome_ = outcome;
    emit phaseChanged();
    emit canSendChanged();
}

void ShareClipSession::setCopied(bool copied)
{
    if (copied_ == copied)
        return;
    copied_ = copied;
    emit copiedChanged();
}
