#include "OnboardingModel.h"

#include "SettingsPanels.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSet>

#include <chrono>
#include <cmath>

namespace {

constexpr auto pollPeriod = std::chrono::seconds(1);
constexpr double bytesPerGB = 1073741824.0;

QString gigabytes(qint64 bytes)
{
    return QString::asprintf("%.1f", static_cast<double>(bytes) / bytesPerGB);
}

bool hasAsciiLetter(const QString& word)
{
    for (QChar c : word) {
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
            return true;
    }
    return false;
}

std::optional<QString> englishNote(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[ \u060C,.]"));
    QStringList kept;
    QSet<QString> seen;
    for (const QString& word : text.split(separators, Qt::SkipEmptyParts)) {
        if (!hasAsciiLetter(word) || seen.contains(word.toLower()))
            continue;
        seen.insert(word.toLower());
        kept.append(word);
    }
    if (kept.isEmpty())
        return std::nullopt;
    return kept.mid(0, 3).join(QStringLiteral(", ")) + QStringLiteral(" stayed in English");
}

std::optional<QString> halfSpaceNote(const QString& text)
{
    for (const QString& piece : text.split(u' ', Qt::SkipEmptyParts)) {
        if (piece.contains(QChar(0x200C)))
            return QStringLiteral("Half-space in ") + piece;
    }
    return std::nullopt;
}

bool hasPersianPunctuation(const QString& text)
{
    return text.contains(QChar(0x060C)) || text.contains(QChar(0x061F)) || text.contains(QChar(0x061B));
}

}

std::optional<OnboardingModel::Step> OnboardingModel::stepFromRaw(int raw)
{
    if (raw < 0 || raw >= stepCount)
        return std::nullopt;
    return static_cast<Step>(raw);
}

OnboardingModel::OnboardingModel(HotkeyMonitor::Key key, KeyboardOptions& keyboard, DesktopPermissions& permissions,
                                 SettingsPanels& panels, Clock& clock, QObject* parent)
    : QObject(parent), keyboard_(keyboard), permissions_(permissions), panels_(panels), clock_(clock), key_(key),
      keyboardOptions_(keyboard.current()), mic_(permissions.microphone()), canType_(permissions.canType()),
      accessibility_(permissions.accessibility())
{
}

OnboardingModel::~OnboardingModel()
{
    stopPolling();
}

void OnboardingModel::setStep(Step step)
{
    step_ = step;
    emit stepChanged();
}

void OnboardingModel::setKey(HotkeyMonitor::Key key)
{
    key_ = key;
    emit keyChanged();
    emit gatesChanged();
}

void OnboardingModel::setKeyboardOptions(const QStringList& options)
{
    keyboardOptions_ = options;
    emit keyboardOptionsChanged();
    emit gatesChanged();
}

void OnboardingModel::setMic(Microphone::Permission mic)
{
    mic_ = mic;
    emit micChanged();
    emit gatesChanged();
}

bool OnboardingModel::micSettings() const
{
    return panels_.available(SettingsPanels::Panel::microphone);
}

void OnboardingModel::setCanType(bool canType)
{
    canType_ = canType;
    emit canTypeChanged();
    emit gatesChanged();
}

void OnboardingModel::setAccessibility(DesktopPermissions::Switch state)
{
    accessibility_ = state;
    emit axTrustedChanged();
}

void OnboardingModel::setInstall(const ModelInstaller::State& state)
{
    install_ = state;
    emit installChanged();
    emit downloadsChanged();
}

void OnboardingModel::setModelReady(bool ready)
{
    modelReady_ = ready;
    emit modelReadyChanged();
    emit downloadsChanged();
}

void OnboardingModel::setInTray(bool inTray)
{
    inTray_ = inTray;
    emit inTrayChanged();
}

void OnboardingModel::setPunctuation(const PunctuationInstaller::State& state)
{
    punctuation_ = state;
    emit punctuationChanged();
    emit downloadsChanged();
}

void OnboardingModel::setPractice(const QString& text)
{
    practice_ = text;
    emit practiceChanged();
}

void OnboardingModel::setDictated(const QString& text)
{
    dictated_ = text;
    emit dictatedChanged();
}

std::optional<KeyboardOptions::Taker> OnboardingModel::keyTaker() const
{
    return KeyboardOptions::takerOf(key_, keyboardOptions_);
}

QString OnboardingModel::takenBy() const
{
    const auto taker = keyTaker();
    return taker ? taker->option : QString();
}

bool OnboardingModel::takenToSwitchLayouts() const
{
    const auto taker = keyTaker();
    return taker && taker->use == KeyboardOptions::Use::switchesLayout;
}

QString OnboardingModel::alternativeKey() const
{
    for (const HotkeyMonitor::Key other : HotkeyMonitor::allKeys) {
        if (other != key_ && !KeyboardOptions::takerOf(other, keyboardOptions_))
            return HotkeyMonitor::rawValue(other);
    }
    return {};
}

bool OnboardingModel::keyReady() const
{
    return !keyTaker();
}

bool OnboardingModel::permissionsReady() const
{
    return canType_;
}

QStringList OnboardingModel::notes() const
{
    const QString text = dictated_.trimmed();
    QStringList notes;
    if (text.isEmpty())
        return notes;
    if (const auto english = englishNote(text))
        notes.append(*english);
    if (const auto halfSpace = halfSpaceNote(text))
        notes.append(*halfSpace);
    if (hasPersianPunctuation(text))
        notes.append(QStringLiteral("Persian punctuation"));
    return notes;
}

QString OnboardingModel::downloadLine() const
{
    if (!modelReady_) {
        if (std::holds_alternative<ModelInstaller::Failed>(install_))
            return QStringLiteral("The speech model couldn’t be installed · retry from the menu");
        const auto* installing = std::get_if<ModelInstaller::Installing>(&install_);
        if (const auto slow = installing ? installing->slowLine() : std::nullopt)
            return *slow;
        if (installing && installing->total >= 1)
            return QStringLiteral("Speech model · %1 of %2 GB")
                .arg(gigabytes(installing->done), gigabytes(installing->total));
        return QStringLiteral("Preparing the speech model…");
    }
    if (const auto* installing = std::get_if<PunctuationInstaller::Installing>(&punctuation_);
        installing && installing->total > 0) {
        const auto percent = static_cast<qint64>(static_cast<double>(installing->done) / installing->total * 100);
        return QStringLiteral("Speech model ready · adding punctuation %1 %").arg(percent);
    }
    if (std::holds_alternative<PunctuationInstaller::Failed>(punctuation_))
        return QStringLiteral("Speech model ready · punctuation couldn’t be downloaded (restart to retry)");
    return QStringLiteral("Ready · works offline");
}

double OnboardingModel::downloadFraction() const
{
    if (!modelReady_) {
        if (const auto* installing = std::get_if<ModelInstaller::Installing>(&install_);
            installing && installing->total >= 1)
            return static_cast<double>(installing->done) / installing->total;
        return std::holds_alternative<ModelInstaller::Installed>(install_) ? 1.0 : 0.0;
    }
    if (const auto* installing = std::get_if<PunctuationInstaller::Installing>(&punctuation_);
        installing && installing->total > 0)
        return static_cast<double>(installing->done) / installing->total;
    return 1.0;
}

bool OnboardingModel::downloadsFinished() const
{
    const auto* installing = std::get_if<PunctuationInstaller::Installing>(&punctuation_);
    return modelReady_ && !(installing && installing->total > 0);
}

std::optional<int> OnboardingModel::secondsLeft() const
{
    const auto* installing = std::get_if<ModelInstaller::Installing>(&install_);
    if (!installing || installing->total < 1 || installing->bytesPerSecond <= 0)
        return std::nullopt;
    const double seconds = static_cast<double>(installing->total - installing->done) / installing->bytesPerSecond;
    return std::max(1, static_cast<int>(std::trunc(seconds)));
}

void OnboardingModel::startPolling()
{
    stopPolling();
    schedulePoll();
    refresh();
}

void OnboardingModel::stopPolling()
{
    if (poll_)
        poll_->cancel();
    poll_.reset();
}

void OnboardingModel::schedulePoll()
{
    // The timer holds the model weakly: it never keeps a closed window's model alive.
    poll_ = clock_.schedule(pollPeriod, [model = QPointer<OnboardingModel>(this)] {
        if (!model)
            return;
        model->schedulePoll();
        model->refresh();
    });
}

void OnboardingModel::refresh()
{
    if (const QStringList options = keyboard_.current(); options != keyboardOptions_)
        setKeyboardOptions(options);
    if (const auto mic = permissions_.microphone(); mic != mic_)
        setMic(mic);
    if (const bool canType = permissions_.canType(); canType != canType_)
        setCanType(canType);
    if (const auto state = permissions_.accessibility(); state != accessibility_)
        setAccessibility(state);
}

void OnboardingModel::next()
{
    if ((step_ == Step::key && !keyReady()) || (step_ == Step::permissions && !permissionsReady()))
        return;
    if (step_ == Step::done) {
        if (onFinish)
            onFinish();
        return;
    }
    setStep(static_cast<Step>(static_cast<int>(step_) + 1));
}

void OnboardingModel::back()
{
    setStep(step_ == Step::welcome ? Step::welcome : static_cast<Step>(static_cast<int>(step_) - 1));
}

void OnboardingModel::chooseKey(const QString& keyRaw)
{
    const auto key = HotkeyMonitor::fromRawValue(keyRaw);
    if (!key)
        return;
    setKey(*key);
    if (onChooseKey)
        onChooseKey(*key);
}

QString OnboardingModel::keyNameOf(const QString& keyRaw) const
{
    const auto key = HotkeyMonitor::fromRawValue(keyRaw);
    return key ? HotkeyMonitor::displayName(*key) : QString();
}

void OnboardingModel::requestMicrophone()
{
    // A microphone plugged in reaches `mic` through the next poll.
    panels_.open(SettingsPanels::Panel::microphone);
}

void OnboardingModel::openKeyboardSettings()
{
    panels_.open(SettingsPanels::Panel::keyboard);
}

void OnboardingModel::openAccessibility()
{
    permissions_.promptAccessibility();
    refresh();
    panels_.open(SettingsPanels::Panel::accessibility);
}

QVariant OnboardingModel::secondsLeftValue() const
{
    const auto seconds = secondsLeft();
    return seconds ? QVariant(*seconds) : QVariant();
}
