#include "Snippets/SnippetStore.h"

#include "Core/AppFolders.h"
#include "Core/RecordAsData.h"
#include "Core/Settings.h"
#include "Core/UnicodeText.h"
#include "Core/UuidText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

QString describe(SnippetError::Kind kind, const QString& existingTrigger)
{
    switch (kind) {
    case SnippetError::Kind::duplicate:
        return QStringLiteral("You already have a snippet for \u201C%1\u201D.").arg(existingTrigger);
    case SnippetError::Kind::emptyTrigger:
        return QStringLiteral("Type the phrase you will say.");
    case SnippetError::Kind::emptyText:
        return QStringLiteral("Type the text to insert.");
    case SnippetError::Kind::triggerTooLong:
        return QStringLiteral("That phrase is too long to say.");
    case SnippetError::Kind::textTooLong:
        return QStringLiteral("That text is too long.");
    case SnippetError::Kind::full:
        return QStringLiteral("The list is full. Remove a snippet to add another.");
    }
    return {};
}

QString tidy(const QString& trigger)
{
    return splitAtWhitespace(trigger).join(u' ');
}

// A character made only of punctuation and symbols, kept around an inserted snippet.
bool isEdge(const QString& character)
{
    const QList<uint> scalars = character.toUcs4();
    return std::all_of(scalars.begin(), scalars.end(), [](uint s) { return isPunctuationOrSymbol(s); });
}

QString leadingEdge(const QString& token)
{
    QString run;
    for (const QString& character : userCharacters(token)) {
        if (!isEdge(character))
            break;
        run += character;
    }
    return run;
}

QString trailingEdge(const QString& token)
{
    const QStringList characters = userCharacters(token);
    QString run;
    for (auto it = characters.rbegin(); it != characters.rend() && isEdge(*it); ++it)
        run.prepend(*it);
    return run;
}

QStringList normalizedWords(const QString& text)
{
    return SnippetStore::normalize(text).split(u' ', Qt::SkipEmptyParts);
}

}

SnippetError::SnippetError(Kind kind) : SnippetError(kind, QString()) {}

SnippetError::SnippetError(Kind kind, const QString& existingTrigger)
    : Error(describe(kind, existingTrigger)), kind_(kind), existingTrigger_(existingTrigger)
{
}

SnippetError SnippetError::duplicate(const QString& existingTrigger)
{
    return SnippetError(Kind::duplicate, existingTrigger);
}

bool SnippetStore::Expansion::keepsExactly() const
{
    return std::all_of(snippets.begin(), snippets.end(), [](const Snippet& s) { return s.exact; });
}

QString SnippetStore::defaultURL()
{
    if (const auto path = Environment::value("QUILLMARSH_SNIPPETS"))
        return Environment::expandTilde(*path);
    return AppFolders::data() + QStringLiteral("/snippets.json");
}

SnippetStore::SnippetStore(const QString& url, QObject* parent)
    : QObject(parent),
      records_(url, QStringLiteral("snippets"), QStringLiteral("the snippets"), {encodeFile, decodeFile, applyChange},
               {[this] { emit entriesChanged(); }, [this] { emit problemChanged(); }})
{
}

namespace {
// The changes as data (see SharedRecords): a snippet added or updated, or one removed.
const QString addMember = QStringLiteral("add");
const QString updateMember = QStringLiteral("update");
const QString removeMember = QStringLiteral("remove");
}

void SnippetStore::applyChange(QList<Snippet>& entries, const QJsonObject& change)
{
    if (const auto id = uuidFromText(change.value(removeMember).toString())) {
        entries.removeIf([&](const Snippet& s) { return s.id == *id; });
        return;
    }
    const bool adding = change.contains(addMember);
    const auto snippet = recordFromData<Snippet>(change.value(adding ? addMember : updateMember), decodeFile);
    if (!snippet)
        return;
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const Snippet& s) { return s.id == snippet->id; });
    // Another instance may have taken the trigger meanwhile.
    if (adding && it == entries.end() && !brokenRule(*snippet, std::nullopt, entries))
        entries.append(*snippet);
    else if (!adding && it != entries.end() && !brokenRule(*snippet, snippet->id, entries))
        *it = *snippet;
}

void SnippetStore::keepOrTell(const Snippet& snippet, bool adding)
{
    lost_.forget();
    records_.change({{adding ? addMember : updateMember, recordAsData(snippet, encodeFile)}},
                    [this, snippet, adding](const QList<Snippet>& before, const QList<Snippet>& after) {
                        if (!after.contains(snippet))
                            lost_.tell(whyLeftOut(snippet, adding, before));
                    });
}

// What the list the change met made of it: the snippet deleted there, the list filled there, or
// another snippet for the same phrase saved there first.
QString SnippetStore::whyLeftOut(const Snippet& snippet, bool adding, const QList<Snippet>& met)
{
    const auto same = [id = snippet.id](const Snippet& s) { return s.id == id; };
    if (!adding && std::none_of(met.begin(), met.end(), same))
        return QStringLiteral("The snippet for \u201C%1\u201D was deleted on another display at the same time, so "
                              "your change to it wasn\u2019t kept.")
            .arg(snippet.trigger);
    const auto broken = brokenRule(snippet, adding ? std::nullopt : std::optional(snippet.id), met);
    if (broken && broken->kind() == SnippetError::Kind::full)
        return QStringLiteral("The list filled up on another display at the same time, so your snippet for "
                              "\u201C%1\u201D wasn\u2019t added. Remove a snippet to add another.")
            .arg(snippet.trigger);
    return QStringLiteral("A snippet for \u201C%1\u201D was saved on another display at the same time; the list "
                          "keeps that one, not yours.")
        .arg(snippet.trigger);
}

Snippet SnippetStore::add(const QString& trigger, const QString& text, bool exact)
{
    Snippet snippet{QUuid::createUuid(), tidy(trigger), text, exact};
    if (const auto broken = brokenRule(snippet, std::nullopt, entries()))
        throw *broken;
    keepOrTell(snippet, true);
    return snippet;
}

void SnippetStore::update(const Snippet& edited)
{
    Snippet snippet = edited;
    snippet.trigger = tidy(edited.trigger);
    if (const auto broken = brokenRule(snippet, snippet.id, entries()))
        throw *broken;
    const auto same = [id = snippet.id](const Snippet& s) { return s.id == id; };
    if (std::none_of(entries().begin(), entries().end(), same))
        return;
    keepOrTell(snippet, false);
}

void SnippetStore::remove(const QUuid& id)
{
    records_.change({{removeMember, uuidText(id)}});
}

std::optional<SnippetError> SnippetStore::brokenRule(const Snippet& snippet, const std::optional<QUuid>& replacing,
                                                     const QList<Snippet>& entries)
{
    if (normalize(snippet.trigger).isEmpty())
        return SnippetError(SnippetError::Kind::emptyTrigger);
    if (userCharacterCount(snippet.trigger) > maxTriggerLength)
        return SnippetError(SnippetError::Kind::triggerTooLong);
    if (snippet.text.trimmed().isEmpty())
        return SnippetError(SnippetError::Kind::emptyText);
    if (userCharacterCount(snippet.text) > maxTextLength)
        return SnippetError(SnippetError::Kind::textTooLong);
    if (!replacing && entries.size() >= maxEntries)
        return SnippetError(SnippetError::Kind::full);
    const QString key = normalize(snippet.trigger);
    for (const Snippet& entry : entries) {
        if (entry.id != replacing && normalize(entry.trigger) == key)
            return SnippetError::duplicate(entry.trigger);
    }
    return std::nullopt;
}

std::optional<SnippetStore::Expansion> SnippetStore::expand(const QString& transcript) const
{
    struct Word {
        QString text;
        qsizetype token;
        bool lastOfToken;
    };
    const QStringList tokens = splitAtWhitespace(transcript);
    QList<Word> words;
    for (qsizetype t = 0; t < tokens.size(); ++t) {
        const QStringList parts = normalizedWords(tokens[t]);
        for (qsizetype p = 0; p < parts.size(); ++p)
            words.append({parts[p], t, p == parts.size() - 1});
    }

    struct Candidate {
        const Snippet* snippet;
        QStringList words;
    };
    QList<Candidate> candidates;
    for (const Snippet& entry : entries()) {
        QStringList triggerWords = normalizedWords(entry.trigger);
        if (!triggerWords.isEmpty())
            candidates.append({&entry, std::move(triggerWords)});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.words.size() > b.words.size(); });

    const auto matches = [&](const Candidate& candidate, qsizetype position) {
        const qsizetype n = candidate.words.size();
        if (position + n > words.size() || !words[position + n - 1].lastOfToken)
            return false;
        for (qsizetype k = 0; k < n; ++k) {
            if (words[position + k].text != candidate.words[k])
                return false;
        }
        return true;
    };

    // Every word position reached below is the first word of its token: a token is either
    // written out whole or ends a match on its last word.
    QStringList pieces;
    QList<Snippet> fired;
    qsizetype position = 0;
    qsizetype cursor = 0;
    while (position < words.size()) {
        const qsizetype token = words[position].token;
        for (; cursor < token; ++cursor)
            pieces.append(tokens[cursor]);

        const auto taken = std::find_if(candidates.begin(), candidates.end(),
                                        [&](const Candidate& c) { return matches(c, position); });
        if (taken == candidates.end()) {
            pieces.append(tokens[token]);
            while (position < words.size() && words[position].token == token)
                ++position;
            cursor = token + 1;
            continue;
        }
        position += taken->words.size();
        const qsizetype last = words[position - 1].token;
        pieces.append(leadingEdge(tokens[token]) + taken->snippet->text + trailingEdge(tokens[last]));
        fired.append(*taken->snippet);
        cursor = last + 1;
    }
    for (; cursor < tokens.size(); ++cursor)
        pieces.append(tokens[cursor]);

    if (fired.isEmpty())
        return std::nullopt;
    return Expansion{pieces.join(u' '), fired};
}

std::optional<Snippet> SnippetStore::match(const QString& text) const
{
    const QString key = normalize(text);
    if (key.isEmpty())
        return std::nullopt;
    for (const Snippet& entry : entries()) {
        if (normalize(entry.trigger) == key)
            return entry;
    }
    return std::nullopt;
}

QString SnippetStore::normalize(const QString& text)
{
    QString mapped;
    mapped.reserve(text.size());
    for (const char32_t scalar : text.toUcs4()) {
        if (scalar == 0x0649 || scalar == 0x064A)
            mapped.append(QChar(0x06CC));
        else if (scalar == 0x0643)
            mapped.append(QChar(0x06A9));
        else if (scalar >= 0x06F0 && scalar <= 0x06F9)
            mapped.append(QChar(u'0' + (scalar - 0x06F0)));
        else if (scalar >= 0x0660 && scalar <= 0x0669)
            mapped.append(QChar(u'0' + (scalar - 0x0660)));
        else if ((scalar >= 0x064B && scalar <= 0x065F) || scalar == 0x0640 || scalar == 0x0670)
            continue;
        else if ((scalar >= 0x200C && scalar <= 0x200F) || isPunctuationOrSymbol(scalar))
            mapped.append(u' ');
        else
            mapped.append(QChar::fromUcs4(scalar));
    }
    return splitAtWhitespace(lowerCased(mapped)).join(u' ');
}

QByteArray SnippetStore::encodeFile(const QList<Snippet>& snippets)
{
    QJsonArray array;
    for (const Snippet& snippet : snippets) {
        array.append(QJsonObject{
            {QStringLiteral("id"), uuidText(snippet.id)},
            {QStringLiteral("trigger"), snippet.trigger},
            {QStringLiteral("text"), snippet.text},
            {QStringLiteral("exact"), snippet.exact},
        });
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<Snippet>> SnippetStore::decodeFile(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<Snippet> snippets;
    for (const QJsonValue value : document.array()) {
        const QJsonObject object = value.toObject();
        const QJsonValue id = object.value(QStringLiteral("id"));
        const QJsonValue trigger = object.value(QStringLiteral("trigger"));
        const QJsonValue text = object.value(QStringLiteral("text"));
        const QJsonValue exact = object.value(QStringLiteral("exact"));
        if (!value.isObject() || !id.isString() || !trigger.isString() || !text.isString() || !exact.isBool())
            return std::nullopt;
        const auto uuid = uuidFromText(id.toString());
        if (!uuid)
            return std::nullopt;
        snippets.append({*uuid, trigger.toString(), text.toString(), exact.toBool()});
    }
    return snippets;
}
