#include "KeptTakeIn.h"

#include "Log.h"
#include "StoredFile.h"

#include <QFileInfo>

KeptTakeIn::KeptTakeIn(const QString& path) : path_(path)
{
    if (KeptChanges::takeLostMarks(path))
        lostEarlier_ = QStringLiteral("The last changes to %1 before the application last ended couldn\u2019t be "
                                      "written: a deletion made then may show again, and what was added then is "
                                      "missing.")
                           .arg(QFileInfo(path).fileName());
}

KeptChanges::Found KeptTakeIn::look(bool storeBlocked)
{
    KeptChanges::Found kept = storeBlocked ? KeptChanges::Found() : KeptChanges::readBeside(path_);
    KeptChanges::putAside(kept.damaged);
    if (!kept.unreadable.isEmpty() && kept.unreadable != unreadable_)
        Log::info(QStringLiteral("kept changes wait: ") + kept.unreadable);
    unreadable_ = kept.unreadable;
    if (!kept.aside.isEmpty())
        putAside_ = kept.aside;
    return kept;
}

std::vector<QJsonObject> KeptTakeIn::changesOf(const KeptChanges::Found& kept)
{
    std::vector<QJsonObject> changes;
    for (const KeptChanges::Kept& file : kept.files) {
        for (const auto& change : file.changes)
            changes.push_back(change.toObject());
    }
    return changes;
}

void KeptTakeIn::claim(KeptChanges::Found& kept) const
{
    KeptChanges::claim(kept, path_);
}

void KeptTakeIn::takenIn(const KeptChanges::Found& kept, const StoredFile& file)
{
    KeptChanges::remove(kept);
    qsizetype count = 0;
    for (const KeptChanges::Kept& taken : kept.files)
        count += taken.changes.size();
    if (count > 0)
        Log::info(QStringLiteral("saved %1 %2 to %3 kept by an earlier run")
                      .arg(count)
                      .arg(count == 1 ? QStringLiteral("change") : QStringLiteral("changes"), file.what()));
}

QString KeptTakeIn::problem() const
{
    return !unreadable_.isEmpty() ? unreadable_ : !putAside_.isEmpty() ? putAside_ : lostEarlier_;
}
