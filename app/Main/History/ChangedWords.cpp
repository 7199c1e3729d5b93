#include "Main/History/ChangedWords.h"

#include "History/WordDiff.h"

#include <QStringList>

namespace {
constexpr qsizetype longestRun = 3;
}

QList<ChangedWords::Segment> ChangedWords::segments(const QString& spoken, const QString& inserted)
{
    QList<Segment> result;
    QStringList pending;
    const auto flush = [&] {
        if (!pending.isEmpty())
            result.append({pending.join(u' '), true});
        pending.clear();
    };
    for (const WordDiff::Word& word : WordDiff::words(spoken, inserted)) {
        if (!word.changed) {
            flush();
            result.append({word.word, false});
            continue;
        }
        pending.append(word.word);
        if (pending.size() == longestRun)
            flush();
    }
    flush();
    return result;
}
