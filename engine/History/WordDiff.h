#pragma once
// Which words of a text are new or changed compared with an earlier one: a longest common
// subsequence over words that ignores letter case, punctuation at a word's edges, and the
// zero-width non-joiner inside Persian words.

#include <QList>
#include <QString>

namespace WordDiff {

struct Word {
    QString word;  // the target's word exactly as written
    bool changed = false;

    bool operator==(const Word&) const = default;
};

// One pair per word of the target, in its order.
QList<Word> words(const QString& from, const QString& to);

}
