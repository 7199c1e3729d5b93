#include "Main/Vocabulary/VocabularyEditor.h"

#include "Core/UuidText.h"
#include "Main/StoreRefusal.h"
#include "VocabularyStore.h"

void VocabularyEditor::setDraft(const QString& draft)
{
    if (draft_ == draft)
        return;
    draft_ = draft;
    problem_.clear();
    emit changed();
}

bool VocabularyEditor::canAdd() const
{
    return !VocabularyStore::clean(draft_).isEmpty();
}

void VocabularyEditor::add()
{
    if (!store_)
        return;
    problem_ = refusalOf<VocabularyError>([this] { store_->add(draft_, VocabularyEntry::Source::you); },
                                          QStringLiteral("Couldn’t add that."));
    if (problem_.isEmpty())
        draft_.clear();
    emit changed();
}

void VocabularyEditor::remove(const QString& id)
{
    if (store_)
        if (const auto uuid = uuidFromText(id))
            store_->remove(*uuid);
}
