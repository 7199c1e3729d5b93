#pragma once
// The Snippets page's editor: one snippet at a time, new or loaded from the store, saved through
// the store. A refused save or removal keeps the fields as they are and shows the store's reason;
// the list then still shows only what the store holds.

#include "Core/Clock.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

class SnippetStore;

class SnippetEditor : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(SnippetStore* store READ store WRITE setStore NOTIFY storeChanged)
    // The identifier of the snippet being edited; empty while the editor holds a new one.
    Q_PROPERTY(QString editing READ editing NOTIFY changed)
    Q_PROPERTY(QString trigger READ trigger WRITE setTrigger NOTIFY changed)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY changed)
    Q_PROPERTY(bool exact READ exact WRITE setExact NOTIFY changed)
    // Why the last save or removal failed; else what the user should know about the store's file;
    // empty when all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY changed)
    // True for a moment after a successful save.
    Q_PROPERTY(bool saved READ saved NOTIFY changed)

public:
    static constexpr Clock::Duration savedFor = std::chrono::milliseconds(1400);

    explicit SnippetEditor(QObject* parent = nullptr);

    void setClock(Clock& clock) { clock_ = &clock; }

    SnippetStore* store() const { return store_; }
    void setStore(SnippetStore* store);

    QString editing() const { return editing_; }
    QString trigger() const { return trigger_; }
    void setTrigger(const QString& trigger);
    QString text() const { return text_; }
    void setText(const QString& text);
    bool exact() const { return exact_; }
    void setExact(bool exact);
    QString problem() const;
    bool saved() const { return saved_; }

    // When the page comes on screen: opens the first snippet unless the editor holds something.
    Q_INVOKABLE void appear();
    Q_INVOKABLE void startNew();
    Q_INVOKABLE void load(const QString& id);
    Q_INVOKABLE void save();
    // Removes the snippet, then opens the first one left (or a new one).
    Q_INVOKABLE void remove(const QString& id);

signals:
    void storeChanged();
    void changed();

private:
    QPointer<SnippetStore> store_;
    Clock* clock_ = &Clock::system();
    QString editing_;
    QString trigger_;
    QString text_;
    bool exact_ = true;
    QString problem_;
    bool saved_ = false;
};
