#include "History/WordDiff.h"

#include "Core/UnicodeText.h"

#include <vector>

namespace {

QString comparisonKey(const QString& token)
{
    QList<uint> scalars = token.toUcs4();
    qsizetype begin = 0;
    qsizetype end = scalars.size();
    while (begin < end && isPunctuationOrSymbol(scalars[begin]))
        ++begin;
    while (end > begin && isPunctuationOrSymbol(scalars[end - 1]))
        --end;
    QString key;
    for (qsizetype i = begin; i < end; ++i) {
        if (scalars[i] != 0x200C)
            key.append(QChar::fromUcs4(scalars[i]));
    }
    return lowerCased(key).normalized(QString::NormalizationForm_C);
}

QStringList keys(const QStringList& tokens)
{
    QStringList result;
    result.reserve(tokens.size());
    for (const QString& token : tokens)
        result.append(comparisonKey(token));
    return result;
}

}

namespace WordDiff {

QList<Word> words(const QString& from, const QString& to)
{
    const QStringList target = splitAtWhitespace(to);
    const QStringList a = keys(splitAtWhitespace(from));
    const QStringList b = keys(target);
    const size_t n = static_cast<size_t>(a.size());
    const size_t m = static_cast<size_t>(b.size());

    // common[i][j]: length of the longest common subsequence of a from i on and b from j on.
    std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1, 0));
    for (size_t i = n; i-- > 0;) {
        for (size_t j = m; j-- > 0;) {
            common[i][j] = a[qsizetype(i)] == b[qsizetype(j)] ? common[i + 1][j + 1] + 1
                                                              : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }

    std::vector<bool> kept(m, false);
    size_t i = 0;
    size_t j = 0;
    while (i < n && j < m) {
        if (a[qsizetype(i)] == b[qsizetype(j)]) {
            kept[j] = true;
            ++i;
            ++j;
        } else if (common[i + 1][j] < common[i][j + 1]) {
            ++j;
        } else {
            // A tie advances the source.
            ++i;
        }
    }

    QList<Word> result;
    result.reserve(target.size());
    for (size_t k = 0; k < m; ++k)
        result.append({target[qsizetype(k)], !kept[k]});
    return result;
}

}
