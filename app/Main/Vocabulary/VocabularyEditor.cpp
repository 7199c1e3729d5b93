#include "Main/Vocabulary/VocabularyEditor.h"

#include "Core/UuidText.h"
#include "Main/StoreRefusal.h"
#include "Vocabulary/VocabularyStore.h"

void VocabularyEditor::setStore(VocabularyStore* store)
{
    if (!holdStore(store_, store, this, &VocabularyEditor::changed))
        return;
    emit storeChanged();
    emit changed();
}

QString VocabularyEditor::problem() const
{
    return shownProblem(problem_, store_.data());
}

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
    problem_ =
        refusalOf([this] { store_->add(draft_, VocabularyEntry::Source::you); }, QStringLiteral("Couldn’t add that."));
    if (problem_.isEmpty())
        draft_.clear();
    emit changed();
}

void VocabularyEditor::remove(const QString& id)
{
    const auto uuid = uuidFromText(id);
    if (!store_ || !uuid)
        return;
    problem_ = refusalOf([&] { store_->remove(*uuid); }, QStringLiteral("Couldn’t remove that."));
    emit changed();
}
