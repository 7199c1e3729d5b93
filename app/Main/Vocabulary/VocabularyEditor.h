#pragma once
// The Vocabulary page's add field and remove buttons. A refused word stays in the field with the
// store's reason under it until the user changes it; a removal the store couldn't save says why
// there too.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

class VocabularyStore;

class VocabularyEditor : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(VocabularyStore* store READ store WRITE setStore NOTIFY storeChanged)
    // Every change clears the problem.
    Q_PROPERTY(QString draft READ draft WRITE setDraft NOTIFY changed)
    // Why the last change failed; else what the user should know about the store's file; empty
    // when all is well.
    Q_PROPERTY(QString problem READ problem NOTIFY changed)
    // True when the draft, cleaned as the store cleans it, is not empty.
    Q_PROPERTY(bool canAdd READ canAdd NOTIFY changed)

public:
    using QObject::QObject;

    VocabularyStore* store() const { return store_; }
    void setStore(VocabularyStore* store);
    QString draft() const { return draft_; }
    void setDraft(const QString& draft);
    QString problem() const;
    bool canAdd() const;

    // Adds the draft as typed (the store cleans it); Return calls it even when Add is disabled.
    Q_INVOKABLE void add();
    Q_INVOKABLE void remove(const QString& id);

signals:
    void storeChanged();
    void changed();

private:
    QPointer<VocabularyStore> store_;
    QString draft_;
    QString problem_;
};
