#include "Main/Snippets/SnippetEditor.h"

#include "Core/UuidText.h"
#include "Main/StoreRefusal.h"
#include "Snippets/SnippetStore.h"

#include <algorithm>

SnippetEditor::SnippetEditor(QObject* parent) : QObject(parent) {}

void SnippetEditor::setStore(SnippetStore* store)
{
    if (!holdStore(store_, store, this, &SnippetEditor::changed))
        return;
    emit storeChanged();
    emit changed();
}

QString SnippetEditor::problem() const
{
    return shownProblem(problem_, store_.data());
}

void SnippetEditor::setTrigger(const QString& trigger)
{
    if (trigger_ != trigger) {
        trigger_ = trigger;
        emit changed();
    }
}

void SnippetEditor::setText(const QString& text)
{
    if (text_ != text) {
        text_ = text;
        emit changed();
    }
}

void SnippetEditor::setExact(bool exact)
{
    if (exact_ != exact) {
        exact_ = exact;
        emit changed();
    }
}

void SnippetEditor::appear()
{
    if (store_ && !store_->entries().isEmpty() && editing_.isEmpty() && trigger_.isEmpty())
        load(uuidText(store_->entries().first().id));
}

void SnippetEditor::startNew()
{
    editing_.clear();
    trigger_.clear();
    text_.clear();
    exact_ = true;
    problem_.clear();
    saved_ = false;
    emit changed();
}

void SnippetEditor::load(const QString& id)
{
    if (!store_)
        return;
    const auto& entries = store_->entries();
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const Snippet& snippet) { return uuidText(snippet.id) == id; });
    if (found == entries.end())
        return;
    editing_ = uuidText(found->id);
    trigger_ = found->trigger;
    text_ = found->text;
    exact_ = found->exact;
    problem_.clear();
    saved_ = false;
    emit changed();
}

void SnippetEditor::save()
{
    if (!store_)
        return;
    problem_ = refusalOf(
        [this] {
            const auto& entries = store_->entries();
            const auto edited = std::find_if(entries.begin(), entries.end(), [this](const Snippet& snippet) {
                return !editing_.isEmpty() && uuidText(snippet.id) == editing_;
            });
            if (edited != entries.end()) {
                Snippet changedSnippet = *edited;
                changedSnippet.trigger = trigger_;
                changedSnippet.text = text_;
                changedSnippet.exact = exact_;
                store_->update(changedSnippet);
            } else {
                editing_ = uuidText(store_->add(trigger_, text_, exact_).id);
            }
        },
        QStringLiteral("Couldn’t save that."));
    if (!problem_.isEmpty()) {
        emit changed();
        return;
    }
    saved_ = true;
    emit changed();
    // Each save clears the mark on its own schedule; none is cancelled by a later one.
    clock_->schedule(savedFor, [editor = QPointer(this)] {
        if (editor && editor->saved_) {
            editor->saved_ = false;
            emit editor->changed();
        }
    });
}

void SnippetEditor::remove(const QString& id)
{
    if (!store_)
        return;
    const auto uuid = uuidFromText(id);
    problem_ = refusalOf(
        [&] {
            if (uuid)
                store_->remove(*uuid);
        },
        QStringLiteral("Couldn’t delete that."));
    if (!problem_.isEmpty()) {
        emit changed();
        return;
    }
    if (store_->entries().isEmpty())
        startNew();
    else
        load(uuidText(store_->entries().first().id));
}
