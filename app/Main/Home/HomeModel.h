#pragma once
// What the Home page shows, worked out from the page model and the stores: the greeting and date
// line, the notices on what the desktop doesn't allow (the facts the first-run window checks,
// read every 2 s while the page is up, when the page also moves on with the clock), the week's
// figures and bars, the writing style of everyday applications and the three newest dictations,
// and what the user should know about the files behind them.

#include "Core/Clock.h"
#include "History/UsageStats.h"

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

class AppModel;

class HomeModel : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(AppModel* model READ model WRITE setModel NOTIFY modelChanged)
    // The moment the page reads: the clock's, renewed on every poll, unless something set it.
    Q_PROPERTY(QDateTime now READ now WRITE setNow NOTIFY nowChanged)
    Q_PROPERTY(QString displayName MEMBER displayName_ NOTIFY displayNameChanged)
    Q_PROPERTY(QString greeting READ greeting NOTIFY greetingChanged)
    Q_PROPERTY(QString today READ today NOTIFY nowChanged)
    // A microphone is found, and a settings panel could show the sound inputs.
    Q_PROPERTY(bool micAllowed READ micAllowed NOTIFY permissionsChanged)
    Q_PROPERTY(bool micSettings READ micSettings NOTIFY permissionsChanged)
    // The desktop lets dictation type (XTest).
    Q_PROPERTY(bool canType READ canType NOTIFY permissionsChanged)
    // The accessibility switch exists and is off, so nothing is improved in place.
    Q_PROPERTY(bool accessibilityOff READ accessibilityOff NOTIFY permissionsChanged)
    Q_PROPERTY(QVariantMap week READ week NOTIFY recordsChanged)
    Q_PROPERTY(QVariantList recent READ recent NOTIFY recordsChanged)
    Q_PROPERTY(bool hasHistory READ hasHistory NOTIFY recordsChanged)
    Q_PROPERTY(QString everydayStyle READ everydayStyle NOTIFY styleChanged)
    Q_PROPERTY(QString styleNote READ styleNote NOTIFY styleChanged)
    // The problems of the settings, usage counts and history files, and why records are kept
    // despite the settings, one line each; empty when all is well.
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)

public:
    static constexpr int pollMilliseconds = 2000;
    static constexpr int recentCount = 3;

    explicit HomeModel(QObject* parent = nullptr);
    ~HomeModel() override;

    // The clock the poll runs on and the calendar time it reads (the system's unless a test sets
    // them); reads both at once.
    void setClock(Clock& clock, std::function<QDateTime()> wallTime);

    AppModel* model() const { return model_; }
    void setModel(AppModel* model);
    QDateTime now() const { return now_; }
    void setNow(const QDateTime& now);

    // "Good morning" before noon from 05:00, "Good afternoon" until 18:00, "Good evening"
    // otherwise; ", " and the name after it when there is one.
    static QString greeting(int hour, const QString& displayName);
    QString greeting() const { return greeting(now_.time().hour(), displayName_); }
    QString today() const;
    bool micAllowed() const { return micAllowed_; }
    bool micSettings() const { return micSettings_; }
    bool canType() const { return canType_; }
    bool accessibilityOff() const { return accessibilityOff_; }

    // The week card: "words" and "dictations" (grouped in the locale), "perMinute" ("–" when
    // unknown) and "days", each {label (narrow weekday), height (5 to 44), tone ("today",
    // "used", "empty")}.
    static QVariantMap weekCard(const UsageStats::Week& week, const QLocale& locale);
    QVariantMap week() const;
    // The newest dictations: {id, time, text, symbol, style (raw value or empty)}.
    QVariantList recent() const;
    bool hasHistory() const;

    QString everydayStyle() const;
    QString styleNote() const;
    QString notice() const;
    // Gives messaging, documents and other apps that style and saves it; other settings stay.
    Q_INVOKABLE void setEverydayStyle(const QString& styleRaw);
    // Reads the permissions again (the timer does it every 2 s).
    Q_INVOKABLE void poll();
    // What the first-run window's buttons do: opens the sound inputs' panel; turns the
    // accessibility switch on and opens its panel.
    Q_INVOKABLE void openMicrophoneSettings();
    Q_INVOKABLE void openAccessibility();

signals:
    void modelChanged();
    void nowChanged();
    void displayNameChanged();
    void greetingChanged();
    void permissionsChanged();
    void recordsChanged();
    void styleChanged();
    void noticeChanged();

private:
    void tick();
    void follow(const QDateTime& now);

    AppModel* model_ = nullptr;
    Clock* clock_ = nullptr;
    std::function<QDateTime()> wallTime_;
    std::shared_ptr<ScheduledWork> nextTick_;
    QDateTime now_;
    bool nowPinned_ = false;
    QString displayName_;
    bool micAllowed_ = false;
    bool micSettings_ = false;
    bool canType_ = false;
    bool accessibilityOff_ = false;
};
