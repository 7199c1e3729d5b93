#include "WrittenForms.h"

#include "Core/UnicodeText.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// Lower case, white-space runs as one space, trimmed.
QString keyOf(const QString& text)
{
    return lowerCased(text).simplified();
}

}

namespace Hotwords {

QStringList variants(const QString& word)
{
    const QString lower = lowerCased(word);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, lower);
    const qsizetype firstEnd = lower.isEmpty() ? 0 : finder.toNextBoundary();
    const QString capitalised = lower.left(firstEnd).toUpper() + lower.mid(firstEnd);

    QStringList result;
    for (const QString& candidate : {word, lower, capitalised}) {
        if (!candidate.isEmpty() && !result.contains(candidate))
            result.append(candidate);
    }
    return result;
}

QStringList expand(const QStringList& words)
{
    QStringList result;
    for (const QString& word : words) {
        for (const QString& variant : variants(word)) {
            if (!result.contains(variant))
                result.append(variant);
        }
    }
    return result;
}

}

WrittenForms::WrittenForms(const QStringList& words)
{
    for (const QString& word : words) {
        if (word == lowerCased(word))
            continue;
        const QString key = keyOf(word);
        if (key.isEmpty() || forms_.contains(key))
            continue;
        forms_.insert(key, word);
    }
    if (forms_.isEmpty())
        return;

    QStringList keys = forms_.keys();
    std::stable_sort(keys.begin(), keys.end(),
                     [](const QString& a, const QString& b) { return userCharacterCount(a) > userCharacterCount(b); });
    QStringList alternatives;
    for (const QString& key : keys) {
        QStringList pieces;
        for (const QString& piece : key.split(u' '))
            pieces.append(QRegularExpression::escape(piece));
        alternatives.append(pieces.join(QStringLiteral("\\s+")));
    }
    QRegularExpression regex(
        QStringLiteral("(?<![A-Za-z0-9_])(?:") + alternatives.join(u'|') + QStringLiteral(")(?![A-Za-z0-9_])"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    if (regex.isValid())
        regex_ = std::move(regex);
}

QString WrittenForms::apply(const QString& text) const
{
    if (!regex_ || text.isEmpty())
        return text;
    QList<QRegularExpressionMatch> matches;
    for (QRegularExpressionMatchIterator it = regex_->globalMatch(text); it.hasNext();)
        matches.append(it.next());
    QString result = text;
    // From the last match back, so earlier positions stay valid.
    for (auto match = matches.crbegin(); match != matches.crend(); ++match) {
        const auto form = forms_.constFind(keyOf(match->captured()));
        if (form != forms_.cend())
            result.replace(match->capturedStart(), match->capturedLength(), *form);
    }
    return result;
}
