#pragma once
// A store's taking in of the changes other runs kept beside its file (see KeptChanges), as its save
// queue does it under the file's lock: which files are there to take in, what the user should know
// of those that can't be, and letting go of those the store's file now holds.

#include "Core/KeptChanges.h"

#include <QJsonObject>
#include <QString>

#include <vector>

class StoredFile;

class KeptTakeIn {
public:
    // Takes the marks of changes an earlier run couldn't keep at all: told until the run ends.
    explicit KeptTakeIn(const QString& path);

    // The files kept beside now (none while the store's file can't be read); damaged ones are put
    // aside and told until the run ends.
    KeptChanges::Found look(bool storeBlocked);
    // Their changes, in their order.
    static std::vector<QJsonObject> changesOf(const KeptChanges::Found& kept);
    // Claims the files for the store's file as it is now, before it is written (see KeptChanges).
    void claim(KeptChanges::Found& kept) const;
    // The store's file now holds the files' changes: they go, and so do those it held already.
    void takenIn(const KeptChanges::Found& kept, const StoredFile& file);

    // Why a kept file can't be read now, else which was put aside, else what an earlier run lost;
    // empty when there is nothing to tell.
    QString problem() const;

private:
    QString path_;
    QString unreadable_;
    QString putAside_;
    QString lostEarlier_;
};
