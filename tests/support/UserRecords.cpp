#include "UserRecords.h"

UserRecords::UserRecords(const QString& folder, const QTimeZone& zone, ClipVault::Writer clipWriter)
    : settings(folder + QStringLiteral("/settings.conf")), history(folder + QStringLiteral("/history.json")),
      stats(folder + QStringLiteral("/stats.json"), zone),
      vault(folder + QStringLiteral("/clips"), std::move(clipWriter)),
      vocabulary(folder + QStringLiteral("/vocabulary.json")), snippets(folder + QStringLiteral("/snippets.json")),
      model({history, stats, vault, vocabulary, snippets}, actions, settings)
{
}
