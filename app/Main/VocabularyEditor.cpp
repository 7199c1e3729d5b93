#include "Main/VocabularyEditor.h"

#include "Core/UuidText.h"
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
    try {
        store_->add(draft_, VocabularyEntry::Source::you);
    } catch (const VocabularyError& error) {
        problem_ = error.description();
        emit changed();
        return;
    } catch (const std::exception&) {
        problem_ = QStringLiteral("Couldn’t add that.");
        emit changed();
        return;
    }
    draft_.clear();
    problem_.clear();
    emit changed();
}

void VocabularyEditor::remove(const QString& id)
{
    if (store_)
        if (const auto uuid = uuidFromText(id))
            store_->remove(*uuid);
}
