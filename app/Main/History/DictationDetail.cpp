#include "Main/History/DictationDetail.h"

#include "Clips/ClipVault.h"
#include "Core/Clock.h"
#include "Core/UuidText.h"
#include "Main/AppModel.h"
#include "Main/CategorySymbol.h"
#include "Main/DisplayText.h"
#include "Main/History/ChangedWords.h"
#include "Main/PlainClipboard.h"

#include <QCoreApplication>
#include <QVariantMap>

#include <chrono>

namespace {
constexpr auto copiedFor = std::chrono::milliseconds(1600);
}

DictationDetail::DictationDetail(QObject* parent) : QObject(parent), clock_(&Clock::system()) {}

void DictationDetail::setAppModel(AppModel* model)
{
    // Given once, when the page is built; the page model outlives its pages.
    if (appModel_ || !model)
        return;
    appModel_ = model;
    connect(appModel_->history(), &HistoryStore::entriesChanged, this, &DictationDetail::entryChanged);
    connect(appModel_, &AppModel::keepClipsChanged, this, &DictationDetail::entryChanged);
    connect(appModel_, &AppModel::recordingsChanged, this, &DictationDetail::entryChanged);
    connect(appModel_, &AppModel::historyEnabledChanged, this, &DictationDetail::entryChanged);
    emit entryChanged();
}

void DictationDetail::setEntryId(const QString& id)
{
    if (entryId_ == id)
        return;
    const bool first = entryId_.isEmpty();
    entryId_ = id;
    if (!first) {
        setShowSpoken(false);
        setCopied(false);
        problem_.reset();
        emit withdrawalChanged();
    }
    emit entryChanged();
}

std::optional<HistoryEntry> DictationDetail::entry() const
{
    const auto id = uuidFromText(entryId_);
    if (!appModel_ || !id)
        return std::nullopt;
    for (const HistoryEntry& entry : appModel_->history()->entries()) {
        if (entry.id == *id)
            return entry;
    }
    return std::nullopt;
}

QString DictationDetail::appName() const
{
    const auto shown = entry();
    return shown ? shown->appName.value_or(QStringLiteral("Unknown app")) : QString();
}

QString DictationDetail::symbol() const
{
    const auto shown = entry();
    return categorySymbol(shown ? shown->appCategory() : AppCategory::other);
}

QString DictationDetail::details() const
{
    const auto shown = entry();
    if (!shown)
        return {};
    const QDateTime local = shown->date.toLocalTime();
    const qsizetype words = shown->wordCount();
    // The line reads left to right; a Persian day and time keep their own direction inside an
    // isolate, so they can't carry the count away from its word. The count takes the locale's
    // digits, as the time beside it does.
    QLocale shownLocale = DisplayText::locale();
    shownLocale.setNumberOptions(QLocale::OmitGroupSeparator);
    return QStringLiteral("\u2068") + day(local.date(), QDate::currentDate()) + QStringLiteral(", ")
           + DisplayText::time(shown->date) + QStringLiteral("\u2069 ") + DisplayText::separator() + u' '
           + shownLocale.toString(words) + (words == 1 ? QStringLiteral(" word") : QStringLiteral(" words"));
}

QString DictationDetail::raw() const
{
    const auto shown = entry();
    return shown ? shown->raw : QString();
}

QString DictationDetail::text() const
{
    const auto shown = entry();
    return shown ? shown->text : QString();
}

bool DictationDetail::changed() const
{
    const auto shown = entry();
    return shown && shown->wasChanged();
}

QString DictationDetail::note() const
{
    const auto shown = entry();
    const QString style = shown ? shown->style.value_or(QString()) : QString();
    if (style == QLatin1String("clean"))
        return QStringLiteral("Clean tidied the punctuation and wording.");
    if (style == QLatin1String("formal"))
        return QStringLiteral("Formal turned spoken forms into written Persian and added the punctuation.");
    return QStringLiteral("Changed after it was inserted.");
}

QVariantList DictationDetail::segments() const
{
    QVariantList list;
    for (const ChangedWords::Segment& segment : ChangedWords::segments(raw(), text()))
        list.append(QVariantMap{{QStringLiteral("text"), segment.text}, {QStringLiteral("changed"), segment.changed}});
    return list;
}

QString DictationDetail::panel() const
{
    const auto shown = entry();
    if (!shown)
        return QStringLiteral("none");
    if (shown->clipCode)
        return QStringLiteral("shared");
    if (appModel_->vault().has(shown->id))
        return QStringLiteral("offer");
    if (appModel_->vault().failure(shown->id))
        return QStringLiteral("unsaved");
    if (!appModel_->keepClips())
        return QStringLiteral("off");
    return QStringLiteral("none");
}

QString DictationDetail::recordingProblem() const
{
    const auto shown = entry();
    const auto failure = shown ? appModel_->vault().failure(shown->id) : std::nullopt;
    if (!failure)
        return {};
    return QStringLiteral("This recording couldn\u2019t be kept: %1.").arg(*failure);
}

QString DictationDetail::clipCode() const
{
    const auto shown = entry();
    return shown ? shown->clipCode.value_or(QString()) : QString();
}

int DictationDetail::keepDays() const
{
    return ClipVault::keepDays;
}

void DictationDetail::setShowSpoken(bool on)
{
    if (showSpoken_ == on)
        return;
    showSpoken_ = on;
    emit showSpokenChanged();
}

bool DictationDetail::removing() const
{
    const auto id = uuidFromText(entryId_);
    return id && withdrawing_.contains(*id);
}

QString DictationDetail::removeProblem() const
{
    const auto id = uuidFromText(entryId_);
    return problem_ && id && problem_->first == *id ? problem_->second : QString();
}

void DictationDetail::copy()
{
    PlainClipboard::copy(showSpoken_ ? raw() : text());
    setCopied(true);
    // Each copy resets on its own schedule: a later copy doesn't extend an earlier one.
    QPointer<DictationDetail> self = this;
    clock_->schedule(copiedFor, [self] {
        if (self)
            self->setCopied(false);
    });
}

void DictationDetail::remove()
{
    const auto shown = entry();
    if (shown)
        appModel_->history()->remove(shown->id);
}

void DictationDetail::removeShared()
{
    const auto shown = entry();
    if (!shown || !shown->clipCode || withdrawing_.contains(shown->id))
        return;
    const std::optional<ClipUploader> uploader = appModel_->uploader();
    if (!uploader) {
        problem_ = {shown->id,
                    QStringLiteral("The Quillmarsh server isn\u2019t set up on this computer, so it can\u2019t "
                                   "be reached.")};
        emit withdrawalChanged();
        return;
    }
    withdrawing_.insert(shown->id);
    problem_.reset();
    emit withdrawalChanged();
    // The answer clears the code of the entry the withdrawal was for, even after the pane is gone.
    QPointer<HistoryStore> store = appModel_->history();
    QPointer<DictationDetail> self = this;
    const QUuid id = shown->id;
    uploader->remove(*shown->clipCode, [store, self, id](const ClipUploader::DeleteResult& result) {
        QMetaObject::invokeMethod(store ? static_cast<QObject*>(store) : qApp, [store, self, id, result] {
            if (!result && store)
                store->setClipCode(id, std::nullopt);
            if (self)
                self->finishWithdrawal(id, result ? std::optional(result->description()) : std::nullopt);
        });
    });
}

void DictationDetail::finishWithdrawal(const QUuid& id, const std::optional<QString>& problem)
{
    withdrawing_.remove(id);
    if (problem)
        problem_ = {id, *problem};
    emit withdrawalChanged();
}

void DictationDetail::share()
{
    const auto shown = entry();
    if (shown)
        appModel_->actions()->shareClip(uuidText(shown->id));
}

void DictationDetail::turnOnRecordings()
{
    if (appModel_)
        appModel_->setKeepClips(true);
}

QString DictationDetail::day(const QDate& date, const QDate& today)
{
    if (date == today)
        return QStringLiteral("Today");
    if (date == today.addDays(-1))
        return QStringLiteral("Yesterday");
    return DisplayText::day(date, DisplayText::DayForm::abbreviated);
}

void DictationDetail::setCopied(bool copied)
{
    if (copied_ == copied)
        return;
    copied_ = copied;
    emit copiedChanged();
}
