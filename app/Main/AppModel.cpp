#include "Main/AppModel.h"

#include "Account/AccountViewModel.h"
#include "Clips/ClipVault.h"
#include "Cloud/SpeechRouter.h"
#include "Core/KnownSettings.h"
#include "Core/Log.h"
#include "Core/Settings.h"
#include "History/HistoryStore.h"
#include "Main/DisplayText.h"
#include "Models/ModelPackage.h"
#include "Shell/LoginItem.h"

#include <QDateTime>

namespace {

// The settings whose values take records out.
const QString historyDaysKey = QStringLiteral("historyDays");
const QString keepClipsKey = QStringLiteral("keepClips");

bool storedBool(const Settings& settings, const QString& key, bool fallback)
{
    return KnownSettings::boolean(settings.value(key)).value_or(fallback);
}

template <typename T>
void assign(T& field, const T& value, void (AppModel::*signal)(), AppModel* model)
{
    if (field == value)
        return;
    field = value;
    emit(model->*signal)();
}

}

AppModel::AppModel(Stores stores, MainActions& actions, Settings& settings, QObject* parent)
    : QObject(parent), stores_(stores), actions_(actions), settings_(settings)
{
    if (auto key = HotkeyMonitor::fromRawValue(settings.value(QStringLiteral("dictationKey")).toString()))
        dictationKey_ = *key;
    const auto mode = SpeechRouter::mode(settings.value(QStringLiteral("engineMode")).toString());
    engineMode_ = SpeechRouter::rawValue(mode.value_or(SpeechRouter::Mode::automatic));
    const auto package = ModelPackage::fromRawValue(settings.value(QStringLiteral("modelPackage")).toString());
    modelPackage_ = package.value_or(ModelPackage::accurate).rawValue();
    punctuation_ = storedBool(settings, QStringLiteral("punctuation"), true);
    stylePolicy_ = StylePolicy::load(settings);
    historyEnabled_ = storedBool(settings, QStringLiteral("historyEnabled"), true);
    historyDays_ = KnownSettings::days(settings.value(historyDaysKey)).value_or(defaultHistoryDays);
    improveAfterInserting_ = storedBool(settings, QStringLiteral("improveAfterInserting"), true);
    keepClips_ = storedBool(settings, keepClipsKey, false);
}

void AppModel::setSection(MainSection section)
{
    assign(section_, section, &AppModel::sectionChanged, this);
}

QString AppModel::sectionRaw() const
{
    return MainSections::rawValue(section_);
}

void AppModel::setSectionRaw(const QString& raw)
{
    if (auto section = MainSections::fromRawValue(raw))
        setSection(*section);
}

void AppModel::setSelectedHistory(const QString& id)
{
    assign(selectedHistory_, id, &AppModel::selectedHistoryChanged, this);
}

void AppModel::setSpeechStatus(const QString& status)
{
    assign(speechStatus_, status, &AppModel::speechStatusChanged, this);
}

void AppModel::setSpeechReady(bool ready)
{
    assign(speechReady_, ready, &AppModel::speechReadyChanged, this);
}

void AppModel::setSpeechProblem(const QString& problem)
{
    assign(speechProblem_, problem, &AppModel::speechProblemChanged, this);
}

void AppModel::setLanguages(const QString& languages)
{
    assign(languages_, languages, &AppModel::languagesChanged, this);
}

void AppModel::setServerConfigured(bool configured)
{
    assign(serverConfigured_, configured, &AppModel::serverConfiguredChanged, this);
}

void AppModel::setModelLoading(bool loading)
{
    assign(modelLoading_, loading, &AppModel::modelLoadingChanged, this);
}

void AppModel::setPunctuationAvailable(bool available)
{
    assign(punctuationAvailable_, available, &AppModel::punctuationAvailableChanged, this);
}

void AppModel::setDictationKey(HotkeyMonitor::Key key)
{
    assign(dictationKey_, key, &AppModel::dictationKeyChanged, this);
}

void AppModel::setDictationKeyRaw(const QString& raw)
{
    if (auto key = HotkeyMonitor::fromRawValue(raw))
        setDictationKey(*key);
}

void AppModel::setEngineMode(const QString& raw)
{
    if (SpeechRouter::mode(raw))
        assign(engineMode_, raw, &AppModel::engineModeChanged, this);
}

void AppModel::setModelPackage(const QString& raw)
{
    if (ModelPackage::fromRawValue(raw))
        assign(modelPackage_, raw, &AppModel::modelPackageChanged, this);
}

void AppModel::setPunctuation(bool on)
{
    assign(punctuation_, on, &AppModel::punctuationChanged, this);
}

void AppModel::setStylePolicy(const StylePolicy& policy)
{
    stylePolicy_ = policy;
    emit stylePolicyChanged();
    stylePolicy_.save(settings_);
}

void AppModel::setHistoryEnabled(bool enabled)
{
    assign(historyEnabled_, enabled, &AppModel::historyEnabledChanged, this);
    settings_.setValue(QStringLiteral("historyEnabled"), enabled);
}

void AppModel::setHistoryDays(int days)
{
    days = std::max(days, 1);
    assign(historyDays_, days, &AppModel::historyDaysChanged, this);
    settings_.setValue(historyDaysKey, days);
    emit retentionChanged();
    stores_.history.prune(days, QDateTime::currentDateTimeUtc());
}

void AppModel::setImproveAfterInserting(bool on)
{
    assign(improveAfterInserting_, on, &AppModel::improveAfterInsertingChanged, this);
    settings_.setValue(QStringLiteral("improveAfterInserting"), on);
}

void AppModel::setKeepClips(bool on)
{
    assign(keepClips_, on, &AppModel::keepClipsChanged, this);
    settings_.setValue(keepClipsKey, on);
    emit retentionChanged();
    if (!on)
        stores_.vault.removeAll();
}

void AppModel::keepRecording(std::vector<float> audio, const QUuid& entry, std::function<void(const QString&)> notKept)
{
    if (!keepClips_)
        return;
    clipWriter_.save(std::move(audio), entry, [this, entry, notKept](const std::optional<QString>& failure) {
        if (failure)
            Log::info(QStringLiteral("recording not kept: ") + *failure);
        // Too short a recording isn't kept either, and is no failure to tell.
        if (const auto why = stores_.vault.failure(entry); why && notKept)
            notKept(QStringLiteral("The recording couldn\u2019t be kept: %1.").arg(*why));
        // Keeping was turned off while it was written: it goes the way of the others.
        if (!keepClips_)
            stores_.vault.remove(entry);
        emit recordingsChanged();
    });
}

void AppModel::pruneRecords(const QDateTime& now)
{
    // Records that can't be read now may come back: they count as kept.
    const bool recordsMayExist =
        !stores_.history.entries().isEmpty() || !stores_.history.problem().isEmpty() || stores_.vault.holdsAny();
    const bool settingsLost = settings_.wasDamaged() || settings_.wasMissing();
    const bool daysValid = KnownSettings::days(settings_.value(historyDaysKey)).has_value();
    const bool clipsValid = KnownSettings::boolean(settings_.value(keepClipsKey)).has_value();
    if (!recordsMayExist) {
        // The first start: the defaults are written, and chosen, while there is nothing to delete.
        if (!daysValid)
            settings_.setValue(historyDaysKey, historyDays_);
        if (!clipsValid)
            settings_.setValue(keepClipsKey, keepClips_);
    } else if (settingsLost || !daysValid || !clipsValid) {
        QStringList unchosen;
        if (settingsLost || !daysValid)
            unchosen.append(historyDaysKey);
        if (settingsLost || !clipsValid)
            unchosen.append(keepClipsKey);
        settings_.doubt(unchosen);
        Log::info(QStringLiteral("history and recordings kept: their settings were lost, damaged or not chosen"));
        emit retentionChanged();
    }
    if (settings_.isChosen(historyDaysKey))
        stores_.history.prune(historyDays_, now);
    if (!settings_.isChosen(keepClipsKey))
        return;
    if (keepClips_)
        stores_.vault.purge(ClipVault::keepDays, now);
    else
        stores_.vault.removeAll();
}

QString AppModel::retentionNotice() const
{
    const bool daysChosen = settings_.isChosen(historyDaysKey);
    const bool clipsChosen = settings_.isChosen(keepClipsKey);
    if (daysChosen && clipsChosen)
        return {};
    // Value by value, what this start does (see pruneRecords).
    QString notice;
    if (!daysChosen && !clipsChosen)
        notice = QStringLiteral("No dictation or recording is deleted until you choose again in Settings how long to "
                                "keep them.");
    else if (!daysChosen)
        notice =
            QStringLiteral("No dictation is deleted until you choose again in Settings how long to keep them; %1")
                .arg(keepClips_ ? QStringLiteral("recordings older than %1 days are deleted.").arg(ClipVault::keepDays)
                                : QStringLiteral("recordings are deleted, as keeping them is off."));
    else
        notice = QStringLiteral("No recording is deleted until you choose again in Settings whether to keep them; "
                                "dictations older than %1 are deleted.")
                     .arg(DisplayText::retentionLabel(historyDays_));
    return settings_.wasMissing() ? QStringLiteral("Your settings were lost. ") + notice : notice;
}

void AppModel::setRunsAlone(const QString& why)
{
    assign(runsAlone_, why, &AppModel::runsAloneChanged, this);
}

void AppModel::setApplications(Applications* applications)
{
    assign(applications_, applications, &AppModel::applicationsChanged, this);
}

bool AppModel::opensAtLogin() const
{
    return LoginItem::isEnabled();
}

bool AppModel::setOpensAtLogin(bool on)
{
    if (!LoginItem::setEnabled(on))
        return false;
    emit opensAtLoginChanged();
    return true;
}

QString AppModel::styleFor(const QString& categoryRaw) const
{
    const auto category = AppCategories::fromRawValue(categoryRaw).value_or(AppCategory::other);
    return DictationStyles::rawValue(stylePolicy_.style(category));
}

void AppModel::setClipServer(std::function<std::optional<QUrl>()> formatURL, QNetworkAccessManager* session)
{
    formatURL_ = std::move(formatURL);
    clipSession_ = session;
}

std::optional<ClipUploader> AppModel::uploader() const
{
    if (!formatURL_ || !clipSession_)
        return std::nullopt;
    const std::optional<QUrl> url = formatURL_();
    if (!url || !url->isValid() || url->host().isEmpty())
        return std::nullopt;
    ClipUploader uploader(*url, *clipSession_);
    if (!uploader.baseURL().isValid())
        return std::nullopt;
    return uploader;
}

void AppModel::setAccount(AccountManager& account, AccountAPI* api)
{
    account_ = &account;
    accountAPI_ = api;
    setAccountState(account.state());
}

void AppModel::setAccountState(const AccountManager::State& state)
{
    if (accountState_ == state)
        return;
    const auto user = [](const AccountManager::State& s) { return s ? std::optional(s->userID) : std::nullopt; };
    // A sign-in error belongs to the account it was about: a sign-out or another account clears it.
    const bool anotherAccount = user(accountState_) != user(state);
    accountState_ = state;
    emit accountStateChanged();
    if (anotherAccount)
        setSignInError(QString());
}

QVariant AppModel::sessionValue() const
{
    if (!accountState_)
        return {};
    // Only what the pages show: the tokens stay out of QML.
    const auto text = [](const std::optional<QString>& value) { return value ? QVariant(*value) : QVariant(); };
    return QVariantMap{
        {QStringLiteral("displayName"), text(accountState_->displayName())},
        {QStringLiteral("email"), text(accountState_->email)},
        {QStringLiteral("provider"), text(accountState_->provider())},
    };
}

void AppModel::setSignInError(const QString& error)
{
    assign(signInError_, error, &AppModel::signInErrorChanged, this);
}

AccountViewModel* AppModel::makeAccountViewModel()
{
    if (!account_)
        return nullptr;
    auto* account = new AccountViewModel(*account_, accountAPI_);
    // A new sign-in attempt makes the last one's error stale.
    connect(account, &AccountViewModel::attemptStarted, this, [this] { setSignInError(QString()); });
    return account;
}
