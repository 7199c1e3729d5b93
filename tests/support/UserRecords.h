#pragma once
// The user's records in one folder as the application keeps them: the settings, the stores and
// the page model over them, for the tests that need the application's model without its desktop.

#include "Clips/ClipVault.h"
#include "Core/Settings.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Main/AppModel.h"
#include "Main/MainActions.h"
#include "Snippets/SnippetStore.h"
#include "Vocabulary/VocabularyStore.h"

#include <QTimeZone>

struct UserRecords {
    // In `folder`, which must outlive them; the usage counts' days are those of `zone`.
    explicit UserRecords(const QString& folder, const QTimeZone& zone = QTimeZone::utc(),
                         ClipVault::Writer clipWriter = {});

    Settings settings;
    HistoryStore history;
    UsageStats stats;
    ClipVault vault;
    VocabularyStore vocabulary;
    SnippetStore snippets;
    MainActions actions;
    AppModel model;
};
