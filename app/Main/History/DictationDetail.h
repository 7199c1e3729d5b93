#pragma once
// One dictation as the History page's detail pane shows it: its application, when, its words,
// what the style changed, copying, deleting, and the state of its recording (shared, kept,
// recordings off, none), with the withdrawal of a shared clip.

#include "History/HistoryStore.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <optional>

class AppModel;
class Clock;

class DictationDetail : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(AppModel* appModel READ appModel WRITE setAppModel NOTIFY entryChanged)
    Q_PROPERTY(QString entryId READ entryId WRITE setEntryId NOTIFY entryChanged)
    Q_PROPERTY(QString appName READ appName NOTIFY entryChanged)
    Q_PROPERTY(QString symbol READ symbol NOTIFY entryChanged)
    Q_PROPERTY(QString details READ details NOTIFY entryChanged)
    Q_PROPERTY(QString raw READ raw NOTIFY entryChanged)
    Q_PROPERTY(QString text READ text NOTIFY entryChanged)
    Q_PROPERTY(bool changed READ changed NOTIFY entryChanged)
    Q_PROPERTY(QString note READ note NOTIFY entryChanged)
    // [{text, changed}] of the inserted text, in reading order.
    Q_PROPERTY(QVariantList segments READ segments NOTIFY entryChanged)
    // "shared", "offer" (a kept recording), "unsaved" (its save failed), "off" (recordings are
    // off) or "none".
    Q_PROPERTY(QString panel READ panel NOTIFY entryChanged)
    // Why the recording couldn't be kept, while the panel is "unsaved".
    Q_PROPERTY(QString recordingProblem READ recordingProblem NOTIFY entryChanged)
    Q_PROPERTY(QString clipCode READ clipCode NOTIFY entryChanged)
    // How many days a kept recording stays.
    Q_PROPERTY(int keepDays READ keepDays CONSTANT)
    Q_PROPERTY(bool showSpoken READ showSpoken WRITE setShowSpoken NOTIFY showSpokenChanged)
    Q_PROPERTY(bool copied READ copied NOTIFY copiedChanged)
    Q_PROPERTY(bool removing READ removing NOTIFY withdrawalChanged)
    Q_PROPERTY(QString removeProblem READ removeProblem NOTIFY withdrawalChanged)

public:
    explicit DictationDetail(QObject* parent = nullptr);

    // The copy confirmation's reset is timed by this clock (the system's by default).
    void setClock(Clock& clock) { clock_ = &clock; }

    AppModel* appModel() const { return appModel_; }
    void setAppModel(AppModel* model);
    QString entryId() const { return entryId_; }
    void setEntryId(const QString& id);

    QString appName() const;
    QString symbol() const;
    // "Sat, Dec 5, 5:54 AM · 8 words": a left-to-right line whose day and time stand in an isolate.
    QString details() const;
    QString raw() const;
    QString text() const;
    bool changed() const;
    QString note() const;
    QVariantList segments() const;
    QString panel() const;
    QString recordingProblem() const;
    QString clipCode() const;
    int keepDays() const;
    bool showSpoken() const { return showSpoken_; }
    void setShowSpoken(bool on);
    bool copied() const { return copied_; }
    bool removing() const;
    QString removeProblem() const;

    // Copies the text shown (as spoken or as inserted) and confirms it for 1.6 s.
    Q_INVOKABLE void copy();
    // Deletes the dictation from the history, without asking and without withdrawing its clip.
    Q_INVOKABLE void remove();
    // Asks the clip server to delete the shared clip; the code goes from this entry on success.
    Q_INVOKABLE void removeShared();
    Q_INVOKABLE void share();
    Q_INVOKABLE void turnOnRecordings();

    // "Today", "Yesterday", or the short weekday, day and month.
    static QString day(const QDate& date, const QDate& today);

signals:
    void entryChanged();
    void showSpokenChanged();
    void copiedChanged();
    void withdrawalChanged();

private:
    std::optional<HistoryEntry> entry() const;
    void setCopied(bool copied);
    void finishWithdrawal(const QUuid& id, const std::optional<QString>& problem);

    QPointer<AppModel> appModel_;
    Clock* clock_;
    QString entryId_;
    bool showSpoken_ = false;
    bool copied_ = false;
    // Withdrawals belong to the entry they started for, whichever entry is shown meanwhile.
    QSet<QUuid> withdrawing_;
    std::optional<std::pair<QUuid, QString>> problem_;
};
