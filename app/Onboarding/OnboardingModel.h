#pragma once
// The state behind the first-run window: the step on screen, the dictation key chosen so far and
// the keyboard options that may take it, the permissions as the desktop reports them, the model
// installs' progress as the application pushes it, and the practice field's text with the last
// test dictation. The window only reads it and calls its operations; the application builds it,
// feeds it and takes its two callbacks.

#include "Core/Clock.h"
#include "DesktopPermissions.h"
#include "HotkeyMonitor.h"
#include "KeyboardOptions.h"
#include "Models/ModelInstaller.h"
#include "Punctuation/PunctuationInstaller.h"
#include "Sound/Microphone.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>
#include <optional>

class SettingsPanels;

class OnboardingModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application")

    Q_PROPERTY(Step step READ step WRITE setStep NOTIFY stepChanged)
    Q_PROPERTY(QString key READ keyRaw NOTIFY keyChanged)
    Q_PROPERTY(QString keyName READ keyName NOTIFY keyChanged)
    Q_PROPERTY(QString keyCap READ keyCap NOTIFY keyChanged)
    Q_PROPERTY(QStringList keyboardOptions READ keyboardOptions WRITE setKeyboardOptions NOTIFY keyboardOptionsChanged)
    Q_PROPERTY(int mic READ micValue NOTIFY micChanged)
    // Whether a settings panel can show the sound inputs.
    Q_PROPERTY(bool micSettings READ micSettings CONSTANT)
    Q_PROPERTY(bool canType READ canType NOTIFY canTypeChanged)
    // The assistive-technology switch is on; `axAvailable` says whether the desktop has one.
    Q_PROPERTY(bool axTrusted READ axTrusted NOTIFY axTrustedChanged)
    Q_PROPERTY(bool axAvailable READ axAvailable NOTIFY axTrustedChanged)
    Q_PROPERTY(bool modelReady READ modelReady WRITE setModelReady NOTIFY modelReadyChanged)
    // Whether the application's mark is in the desktop's tray; the done step says where to find
    // the application either way.
    Q_PROPERTY(bool inTray READ inTray WRITE setInTray NOTIFY inTrayChanged)
    Q_PROPERTY(QString practice READ practice WRITE setPractice NOTIFY practiceChanged)
    Q_PROPERTY(QString dictated READ dictated WRITE setDictated NOTIFY dictatedChanged)

    // The keyboard option that gives the chosen key another job, empty while the key is free, and
    // whether that job is switching layouts.
    Q_PROPERTY(QString takenBy READ takenBy NOTIFY gatesChanged)
    Q_PROPERTY(bool takenToSwitchLayouts READ takenToSwitchLayouts NOTIFY gatesChanged)
    // The first other key no option takes, by its raw value; empty when every key is taken.
    Q_PROPERTY(QString alternativeKey READ alternativeKey NOTIFY gatesChanged)
    Q_PROPERTY(bool keyReady READ keyReady NOTIFY gatesChanged)
    Q_PROPERTY(bool permissionsReady READ permissionsReady NOTIFY gatesChanged)
    Q_PROPERTY(QStringList notes READ notes NOTIFY dictatedChanged)
    Q_PROPERTY(QString downloadLine READ downloadLine NOTIFY downloadsChanged)
    Q_PROPERTY(double downloadFraction READ downloadFraction NOTIFY downloadsChanged)
    Q_PROPERTY(bool downloadsFinished READ downloadsFinished NOTIFY downloadsChanged)
    Q_PROPERTY(QVariant secondsLeft READ secondsLeftValue NOTIFY downloadsChanged)

public:
    enum class Step { welcome, key, permissions, tryIt, done };
    Q_ENUM(Step)
    static constexpr int stepCount = 5;
    static std::optional<Step> stepFromRaw(int raw);

    // Reads the keyboard options and the permissions at once (the accessibility switch as last
    // answered, which a poll brings up to date); the poll starts with startPolling().
    OnboardingModel(HotkeyMonitor::Key key, KeyboardOptions& keyboard, DesktopPermissions& permissions,
                    SettingsPanels& panels, Clock& clock = Clock::system(), QObject* parent = nullptr);
    ~OnboardingModel() override;

    // Set by the application: its key change (which writes the key back here) and its finish.
    std::function<void(HotkeyMonitor::Key)> onChooseKey;
    std::function<void()> onFinish;

    // Every assignment notifies, whether or not the value changed.
    Step step() const { return step_; }
    void setStep(Step step);
    HotkeyMonitor::Key key() const { return key_; }
    void setKey(HotkeyMonitor::Key key);
    QStringList keyboardOptions() const { return keyboardOptions_; }
    void setKeyboardOptions(const QStringList& options);
    Microphone::Permission mic() const { return mic_; }
    void setMic(Microphone::Permission mic);
    bool micSettings() const;
    bool canType() const { return canType_; }
    void setCanType(bool canType);
    DesktopPermissions::Switch accessibility() const { return accessibility_; }
    void setAccessibility(DesktopPermissions::Switch state);
    bool axTrusted() const { return accessibility_ == DesktopPermissions::Switch::on; }
    bool axAvailable() const { return accessibility_ != DesktopPermissions::Switch::absent; }
    const ModelInstaller::State& install() const { return install_; }
    void setInstall(const ModelInstaller::State& state);
    bool modelReady() const { return modelReady_; }
    void setModelReady(bool ready);
    bool inTray() const { return inTray_; }
    void setInTray(bool inTray);
    const PunctuationInstaller::State& punctuation() const { return punctuation_; }
    void setPunctuation(const PunctuationInstaller::State& state);
    QString practice() const { return practice_; }
    void setPractice(const QString& text);
    QString dictated() const { return dictated_; }
    void setDictated(const QString& text);

    std::optional<KeyboardOptions::Taker> keyTaker() const;
    QString takenBy() const;
    bool takenToSwitchLayouts() const;
    QString alternativeKey() const;
    // No keyboard option takes the chosen key.
    bool keyReady() const;
    // Typing is all dictation needs that only the desktop can give: the microphone may come later
    // and the accessibility switch only adds improving in place and noticing password fields.
    bool permissionsReady() const;
    QStringList notes() const;
    QString downloadLine() const;
    double downloadFraction() const;
    bool downloadsFinished() const;
    std::optional<int> secondsLeft() const;

    // The re-read of the keyboard options and the permissions: at once, then every second.
    Q_INVOKABLE void startPolling();
    Q_INVOKABLE void stopPolling();
    // Assigns only the values that changed, so an idle window is not redrawn every second.
    Q_INVOKABLE void refresh();

    Q_INVOKABLE void next();
    Q_INVOKABLE void back();
    // Shows the choice at once, then hands it to the application.
    Q_INVOKABLE void chooseKey(const QString& keyRaw);
    // A key's name in sentences ("right Alt"), by its raw value.
    Q_INVOKABLE QString keyNameOf(const QString& keyRaw) const;
    // There is no capture prompt here: opens the sound inputs' settings.
    Q_INVOKABLE void requestMicrophone();
    Q_INVOKABLE void openKeyboardSettings();
    // Turns the accessibility switch on (shown at once) and opens its settings panel.
    Q_INVOKABLE void openAccessibility();

signals:
    void stepChanged();
    void keyChanged();
    void keyboardOptionsChanged();
    void micChanged();
    void canTypeChanged();
    void axTrustedChanged();
    void installChanged();
    void modelReadyChanged();
    void inTrayChanged();
    void punctuationChanged();
    void practiceChanged();
    void dictatedChanged();
    // The derived values that read more than one field.
    void gatesChanged();
    void downloadsChanged();

private:
    QString keyRaw() const { return HotkeyMonitor::rawValue(key_); }
    QString keyName() const { return HotkeyMonitor::displayName(key_); }
    QString keyCap() const { return HotkeyMonitor::capLabel(key_); }
    int micValue() const { return static_cast<int>(mic_); }
    QVariant secondsLeftValue() const;
    void schedulePoll();

    KeyboardOptions& keyboard_;
    DesktopPermissions& permissions_;
    SettingsPanels& panels_;
    Clock& clock_;
    std::shared_ptr<ScheduledWork> poll_;

    Step step_ = Step::welcome;
    HotkeyMonitor::Key key_;
    QStringList keyboardOptions_;
    Microphone::Permission mic_;
    bool canType_;
    DesktopPermissions::Switch accessibility_;
    ModelInstaller::State install_ = ModelInstaller::Idle{};
    bool modelReady_ = false;
    bool inTray_ = true;
    PunctuationInstaller::State punctuation_ = PunctuationInstaller::Idle{};
    QString practice_;
    QString dictated_;
};
