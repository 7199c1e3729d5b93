#include "Main/Home/HomeModel.h"

#include "Core/Settings.h"
#include "DesktopPermissions.h"
#include "History/HistoryStore.h"
#include "Main/AppModel.h"
#include "Main/CategorySymbol.h"
#include "Main/DisplayText.h"
#include "SettingsPanels.h"
#include "Style/AppCategory.h"
#include "Style/StylePolicy.h"

#include <QPointer>

#include <algorithm>

namespace {

constexpr double tallestBar = 44;
constexpr double shortestBar = 5;
constexpr AppCategory everydayCategories[] = {AppCategory::messaging, AppCategory::documents, AppCategory::other};

}

HomeModel::HomeModel(QObject* parent) : QObject(parent)
{
    connect(this, &HomeModel::displayNameChanged, this, &HomeModel::greetingChanged);
    setClock(Clock::system(), &QDateTime::currentDateTime);
}

HomeModel::~HomeModel()
{
    if (nextTick_)
        nextTick_->cancel();
}

void HomeModel::setClock(Clock& clock, std::function<QDateTime()> wallTime)
{
    clock_ = &clock;
    wallTime_ = std::move(wallTime);
    tick();
}

void HomeModel::tick()
{
    if (nextTick_)
        nextTick_->cancel();
    nextTick_ = clock_->schedule(std::chrono::milliseconds(pollMilliseconds), [self = QPointer<HomeModel>(this)] {
        if (self)
            self->tick();
    });
    if (!nowPinned_)
        follow(wallTime_());
    poll();
}

// A page left open moves on with the clock: the greeting with the hour, the date line and the
// week card with the day.
void HomeModel::follow(const QDateTime& now)
{
    const bool newDay = now.date() != now_.date();
    const bool newHour = newDay || now.time().hour() != now_.time().hour();
    now_ = now;
    if (newDay) {
        emit nowChanged();
        emit recordsChanged();
    }
    if (newHour)
        emit greetingChanged();
}

void HomeModel::setModel(AppModel* model)
{
    if (model_ == model)
        return;
    if (model_) {
        disconnect(model_, nullptr, this, nullptr);
        disconnect(model_->history(), nullptr, this, nullptr);
        disconnect(model_->stats(), nullptr, this, nullptr);
    }
    model_ = model;
    if (model_) {
        connect(model_->history(), &HistoryStore::entriesChanged, this, &HomeModel::recordsChanged);
        connect(model_->stats(), &UsageStats::daysChanged, this, &HomeModel::recordsChanged);
        connect(model_->history(), &HistoryStore::problemChanged, this, &HomeModel::noticeChanged);
        connect(model_->stats(), &UsageStats::problemChanged, this, &HomeModel::noticeChanged);
        connect(model_, &AppModel::stylePolicyChanged, this, &HomeModel::styleChanged);
        connect(model_, &AppModel::retentionChanged, this, &HomeModel::noticeChanged);
        connect(model_, &AppModel::runsAloneChanged, this, &HomeModel::noticeChanged);
    }
    emit modelChanged();
    emit recordsChanged();
    emit styleChanged();
    emit noticeChanged();
}

void HomeModel::setNow(const QDateTime& now)
{
    nowPinned_ = true;
    now_ = now;
    emit nowChanged();
    emit greetingChanged();
    emit recordsChanged();
}

QString HomeModel::greeting(int hour, const QString& displayName)
{
    QString text = hour < 5    ? QStringLiteral("Good evening")
                   : hour < 12 ? QStringLiteral("Good morning")
                   : hour < 18 ? QStringLiteral("Good afternoon")
                               : QStringLiteral("Good evening");
    if (!displayName.isEmpty())
        text += QStringLiteral(", ") + displayName;
    return text;
}

QString HomeModel::today() const
{
    return DisplayText::day(now_.date(), DisplayText::DayForm::full);
}

void HomeModel::poll()
{
    const DesktopPermissions& desktop = DesktopPermissions::system();
    const bool mic = desktop.microphone() == Microphone::Permission::authorized;
    const bool micSettings = !mic && SettingsPanels::system().available(SettingsPanels::Panel::microphone);
    const bool canType = desktop.canType();
    const bool accessibilityOff = desktop.accessibility() == DesktopPermissions::Switch::off;
    if (mic == micAllowed_ && micSettings == micSettings_ && canType == canType_
        && accessibilityOff == accessibilityOff_)
        return;
    micAllowed_ = mic;
    micSettings_ = micSettings;
    canType_ = canType;
    accessibilityOff_ = accessibilityOff;
    emit permissionsChanged();
}

void HomeModel::openMicrophoneSettings()
{
    SettingsPanels::system().open(SettingsPanels::Panel::microphone);
}

void HomeModel::openAccessibility()
{
    DesktopPermissions::system().promptAccessibility();
    poll();
    SettingsPanels::system().open(SettingsPanels::Panel::accessibility);
}

QVariantMap HomeModel::weekCard(const UsageStats::Week& week, const QLocale& locale)
{
    qint64 top = 1;
    for (const UsageStats::DatedDay& day : week.days)
        top = std::max(top, day.day.words);
    QVariantList days;
    for (qsizetype index = 0; index < week.days.size(); ++index) {
        const UsageStats::DatedDay& day = week.days.at(index);
        const bool isToday = index == week.days.size() - 1;
        const QString tone = isToday              ? QStringLiteral("today")
                             : day.day.words >= 1 ? QStringLiteral("used")
                                                  : QStringLiteral("empty");
        days.append(QVariantMap{
            {QStringLiteral("label"), locale.dayName(day.date.date().dayOfWeek(), QLocale::NarrowFormat)},
            {QStringLiteral("height"), std::max(double(day.day.words) * tallestBar / double(top), shortestBar)},
            {QStringLiteral("tone"), tone},
            // What a reader hears of the day's bar.
            {QStringLiteral("spoken"), locale.dayName(day.date.date().dayOfWeek(), QLocale::LongFormat)
                                           + QStringLiteral(", ") + DisplayText::count(day.day.words, locale)
                                           + (day.day.words == 1 ? QStringLiteral(" word") : QStringLiteral(" words"))},
        });
    }
    return {
        {QStringLiteral("words"), DisplayText::count(week.words, locale)},
        {QStringLiteral("dictations"), DisplayText::count(week.dictations, locale)},
        {QStringLiteral("perMinute"),
         week.wordsPerMinute ? QString::number(*week.wordsPerMinute) : QStringLiteral("\u2013")},
        {QStringLiteral("days"), days},
    };
}

QVariantMap HomeModel::week() const
{
    if (!model_)
        return {};
    return weekCard(model_->stats()->week(now_), DisplayText::locale());
}

QVariantList HomeModel::recent() const
{
    QVariantList rows;
    if (!model_)
        return rows;
    const QList<HistoryEntry>& entries = model_->history()->entries();
    for (qsizetype index = 0; index < std::min<qsizetype>(recentCount, entries.size()); ++index) {
        const HistoryEntry& entry = entries.at(index);
        const bool knownStyle = entry.style && !DisplayText::styleLabel(*entry.style).isEmpty();
        rows.append(QVariantMap{
            {QStringLiteral("id"), entry.id.toString(QUuid::WithoutBraces)},
            {QStringLiteral("time"), DisplayText::time(entry.date)},
            {QStringLiteral("text"), entry.text},
            {QStringLiteral("symbol"), categorySymbol(entry.appCategory())},
            {QStringLiteral("style"), knownStyle ? *entry.style : QString()},
        });
    }
    return rows;
}

bool HomeModel::hasHistory() const
{
    return model_ && !model_->history()->entries().isEmpty();
}

QString HomeModel::everydayStyle() const
{
    return model_ ? model_->styleFor(AppCategories::rawValue(AppCategory::other)) : QString();
}

QString HomeModel::styleNote() const
{
    if (!model_)
        return {};
    return QStringLiteral("Email is set to %1 and code and terminals to %2. Change them under Per app.")
        .arg(DisplayText::styleLabel(model_->styleFor(AppCategories::rawValue(AppCategory::email))),
             DisplayText::styleLabel(model_->styleFor(AppCategories::rawValue(AppCategory::code))));
}

QString HomeModel::notice() const
{
    if (!model_)
        return {};
    QStringList lines{model_->runsAlone(), model_->settings().problem(), model_->retentionNotice(),
                      model_->stats()->problem(), model_->history()->problem()};
    lines.removeAll(QString());
    return lines.join(u'\n');
}

void HomeModel::setEverydayStyle(const QString& styleRaw)
{
    const auto style = DictationStyles::fromRawValue(styleRaw);
    if (!model_ || !style)
        return;
    for (const AppCategory category : everydayCategories) {
        StylePolicy policy = model_->stylePolicy();
        policy.set(*style, category);
        model_->setStylePolicy(policy);
    }
}
