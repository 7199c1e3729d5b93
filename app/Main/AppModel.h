#pragma once
// The one model every page and window reads and writes: the user's settings (stored the moment
// they change), the live state the application publishes (model status, server), and handles to
// the stores the pages observe directly.

#include "Account/AccountManager.h"
#include "Clips/ClipUploader.h"
#include "Clips/ClipWriter.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "HotkeyMonitor.h"
#include "Main/MainActions.h"
#include "Main/MainSection.h"
#include "Main/Styles/Applications.h"
#include "Snippets/SnippetStore.h"
#include "Style/StylePolicy.h"
#include "Vocabulary/VocabularyStore.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>
#include <vector>

class AccountAPI;
class AccountViewModel;
class ClipVault;
class QNetworkAccessManager;
class Settings;

class AppModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application")

    Q_PROPERTY(QString section READ sectionRaw WRITE setSectionRaw NOTIFY sectionChanged)
    Q_PROPERTY(QString selectedHistory READ selectedHistory WRITE setSelectedHistory NOTIFY selectedHistoryChanged)

    Q_PROPERTY(QString speechStatus READ speechStatus NOTIFY speechStatusChanged)
    Q_PROPERTY(bool speechReady READ speechReady NOTIFY speechReadyChanged)
    // What keeps the speech model from working and the one thing to do; empty while nothing does.
    Q_PROPERTY(QString speechProblem READ speechProblem NOTIFY speechProblemChanged)
    Q_PROPERTY(QString languages READ languages NOTIFY languagesChanged)
    Q_PROPERTY(bool serverConfigured READ serverConfigured NOTIFY serverConfiguredChanged)
    Q_PROPERTY(bool modelLoading READ modelLoading NOTIFY modelLoadingChanged)
    Q_PROPERTY(bool punctuationAvailable READ punctuationAvailable NOTIFY punctuationAvailableChanged)

    Q_PROPERTY(QString dictationKey READ dictationKeyRaw WRITE setDictationKeyRaw NOTIFY dictationKeyChanged)
    Q_PROPERTY(QString engineMode READ engineMode WRITE setEngineMode NOTIFY engineModeChanged)
    Q_PROPERTY(QString modelPackage READ modelPackage WRITE setModelPackage NOTIFY modelPackageChanged)
    Q_PROPERTY(bool punctuation READ punctuation WRITE setPunctuation NOTIFY punctuationChanged)

    Q_PROPERTY(bool historyEnabled READ historyEnabled WRITE setHistoryEnabled NOTIFY historyEnabledChanged)
    Q_PROPERTY(int historyDays READ historyDays WRITE setHistoryDays NOTIFY historyDaysChanged)
    Q_PROPERTY(bool improveAfterInserting READ improveAfterInserting WRITE setImproveAfterInserting NOTIFY
                   improveAfterInsertingChanged)
    Q_PROPERTY(bool keepClips READ keepClips WRITE setKeepClips NOTIFY keepClipsChanged)
    Q_PROPERTY(bool opensAtLogin READ opensAtLogin NOTIFY opensAtLoginChanged)

    // The signed-in account as the pages show it (displayName, email, provider), or null.
    Q_PROPERTY(QVariant session READ sessionValue NOTIFY accountStateChanged)
    // The last failure of finishing a sign-in from the browser's return; empty when none.
    Q_PROPERTY(QString signInError READ signInError WRITE setSignInError NOTIFY signInErrorChanged)

    Q_PROPERTY(HistoryStore* history READ history CONSTANT)
    Q_PROPERTY(UsageStats* stats READ stats CONSTANT)
    Q_PROPERTY(VocabularyStore* vocabulary READ vocabulary CONSTANT)
    Q_PROPERTY(SnippetStore* snippets READ snippets CONSTANT)
    Q_PROPERTY(MainActions* actions READ actions CONSTANT)
    Q_PROPERTY(Applications* applications READ applications NOTIFY applicationsChanged)

public:
    struct Stores {
        HistoryStore& history;
        UsageStats& stats;
        ClipVault& vault;
        VocabularyStore& vocabulary;
        SnippetStore& snippets;
    };

    // Reads every setting from the given settings; writes nothing.
    AppModel(Stores stores, MainActions& actions, Settings& settings, QObject* parent = nullptr);

    MainSection section() const { return section_; }
    void setSection(MainSection section);
    QString sectionRaw() const;
    void setSectionRaw(const QString& raw);  // an unknown raw value is ignored

    // A one-shot request to open the History page on that entry (an identifier without braces).
    QString selectedHistory() const { return selectedHistory_; }
    void setSelectedHistory(const QString& id);

    QString speechStatus() const { return speechStatus_; }
    void setSpeechStatus(const QString& status);
    bool speechReady() const { return speechReady_; }
    void setSpeechReady(bool ready);
    QString speechProblem() const { return speechProblem_; }
    void setSpeechProblem(const QString& problem);
    QString languages() const { return languages_; }
    void setLanguages(const QString& languages);
    bool serverConfigured() const { return serverConfigured_; }
    void setServerConfigured(bool configured);
    bool modelLoading() const { return modelLoading_; }
    void setModelLoading(bool loading);
    bool punctuationAvailable() const { return punctuationAvailable_; }
    void setPunctuationAvailable(bool available);

    // Plain values: MainActions stores these settings.
    HotkeyMonitor::Key dictationKey() const { return dictationKey_; }
    void setDictationKey(HotkeyMonitor::Key key);
    QString dictationKeyRaw() const { return HotkeyMonitor::rawValue(dictationKey_); }
    void setDictationKeyRaw(const QString& raw);
    QString engineMode() const { return engineMode_; }
    void setEngineMode(const QString& raw);
    QString modelPackage() const { return modelPackage_; }
    void setModelPackage(const QString& raw);
    bool punctuation() const { return punctuation_; }
    void setPunctuation(bool on);

    // Stored as soon as they change.
    const StylePolicy& stylePolicy() const { return stylePolicy_; }
    void setStylePolicy(const StylePolicy& policy);
    bool historyEnabled() const { return historyEnabled_; }
    void setHistoryEnabled(bool enabled);
    int historyDays() const { return historyDays_; }
    // Stores the value and prunes the history to that many days (never fewer than one).
    void setHistoryDays(int days);
    bool improveAfterInserting() const { return improveAfterInserting_; }
    void setImproveAfterInserting(bool on);
    bool keepClips() const { return keepClips_; }
    // Turning it off deletes every kept recording.
    void setKeepClips(bool on);

    // Keeps the dictation's recording while recordings are on, written off the main thread; once
    // written, recordingsChanged. A save that fails is logged, told where the entry shows (see
    // ClipVault::failure) and given to `notKept` as a sentence for the user.
    void keepRecording(std::vector<float> audio, const QUuid& entry, std::function<void(const QString&)> notKept = {});

    // At start: takes out the history entries and recordings the user's choices no longer keep.
    // Only a valid value in the settings file is a choice: one the settings lost, damaged or never
    // held is none while records exist (or can't be read), and such a start keeps them all until
    // the user chooses again; without records, the defaults are written as the choice.
    void pruneRecords(const QDateTime& now);
    // Why records the choices would take out are kept; empty when none are.
    QString retentionNotice() const;
    // Why this instance runs without knowing of others on the display; empty when it doesn't.
    const QString& runsAlone() const { return runsAlone_; }
    void setRunsAlone(const QString& why);

    // Read from the autostart entry each time.
    bool opensAtLogin() const;
    // Announces opensAtLogin again, so that it is read afresh: the entry may have changed outside
    // the application.
    void rereadOpensAtLogin() { emit opensAtLoginChanged(); }
    // Writes or removes the autostart entry; on success announces the change and returns true,
    // on failure logs "open at login: " and why and returns false.
    Q_INVOKABLE bool setOpensAtLogin(bool on);
    // Where shared recordings go: the formatting server's address as it stands now (nothing while
    // none is configured) and the session the requests use, which must outlive the model.
    void setClipServer(std::function<std::optional<QUrl>()> formatURL, QNetworkAccessManager* session);
    // The clip server's client while a formatting server with a usable address is configured.
    std::optional<ClipUploader> uploader() const;
    // The application's account and the account server's client (none without an account
    // server), set once by the application.
    AccountManager* account() const { return account_; }
    void setAccount(AccountManager& account, AccountAPI* api);
    // Kept equal to the manager's state by the application.
    const AccountManager::State& accountState() const { return accountState_; }
    void setAccountState(const AccountManager::State& state);
    const std::optional<AuthSession>& session() const { return accountState_; }
    QVariant sessionValue() const;
    QString signInError() const { return signInError_; }
    void setSignInError(const QString& error);
    // A new view model for the Account page, owned by the page (JavaScript ownership).
    Q_INVOKABLE AccountViewModel* makeAccountViewModel();

    // The style for a kind of application ("email", ...) as a raw style value.
    Q_INVOKABLE QString styleFor(const QString& categoryRaw) const;

    HistoryStore* history() const { return &stores_.history; }
    UsageStats* stats() const { return &stores_.stats; }
    ClipVault& vault() const { return stores_.vault; }
    VocabularyStore* vocabulary() const { return &stores_.vocabulary; }
    SnippetStore* snippets() const { return &stores_.snippets; }
    MainActions* actions() const { return &actions_; }
    Settings& settings() const { return settings_; }
    // The running and installed applications the Styles page names; set once by the application.
    Applications* applications() const { return applications_; }
    void setApplications(Applications* applications);

    static constexpr int defaultHistoryDays = 30;

signals:
    void sectionChanged();
    void selectedHistoryChanged();
    void speechStatusChanged();
    void speechReadyChanged();
    void speechProblemChanged();
    void languagesChanged();
    void serverConfiguredChanged();
    void modelLoadingChanged();
    void punctuationAvailableChanged();
    void dictationKeyChanged();
    void engineModeChanged();
    void modelPackageChanged();
    void punctuationChanged();
    void stylePolicyChanged();
    void historyEnabledChanged();
    void historyDaysChanged();
    void improveAfterInsertingChanged();
    void keepClipsChanged();
    void retentionChanged();
    void runsAloneChanged();
    void recordingsChanged();
    void applicationsChanged();
    void opensAtLoginChanged();
    void accountStateChanged();
    void signInErrorChanged();

private:
    Stores stores_;
    MainActions& actions_;
    Settings& settings_;
    std::function<std::optional<QUrl>()> formatURL_;
    QNetworkAccessManager* clipSession_ = nullptr;
    Applications* applications_ = nullptr;

    MainSection section_ = MainSection::home;
    QString selectedHistory_;
    QString speechStatus_;
    bool speechReady_ = false;
    QString speechProblem_;
    QString languages_;
    bool serverConfigured_ = false;
    QString runsAlone_;
    bool modelLoading_ = false;
    bool punctuationAvailable_ = false;
    HotkeyMonitor::Key dictationKey_ = HotkeyMonitor::Key::fn;
    QString engineMode_;
    QString modelPackage_;
    bool punctuation_ = true;
    StylePolicy stylePolicy_;
    bool historyEnabled_ = true;
    int historyDays_ = defaultHistoryDays;
    bool improveAfterInserting_ = true;
    bool keepClips_ = false;
    AccountManager* account_ = nullptr;
    AccountAPI* accountAPI_ = nullptr;
    AccountManager::State accountState_;
    QString signInError_;
    ClipWriter clipWriter_{stores_.vault};
};
