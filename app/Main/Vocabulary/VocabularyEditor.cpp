#include "Main/Vocabulary/VocabularyEditor.h"

#include "Core/UuidText.h"
#include "Main/StoreRefusal.h"
#include "VocabularyStore.h"

void VocabularyEditor::setStore(VocabularyStore* store)
{
    if (store_ == store)
        return;
    if (store_)
        disconnect(store_, nullptr, this, nullptr);
    store_ = store;
    if (store_)
        connect(store_, &VocabularyStore::problemChanged, this, &VocabularyEditor::changed);
    emit storeChanged();
    emit changed();
}

QString VocabularyEditor::problem() const
{
    return problem_.isEmpty() && store_ ? store_->problem() : problem_;
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
