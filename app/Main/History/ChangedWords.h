#pragma once
// What the writing style changed, as the detail pane marks it: the inserted text word by word,
// every kept word on its own and changed words gathered in runs of at most three.

#include <QList>
#include <QString>

namespace ChangedWords {

struct Segment {
    QString text;  // one word, or up to three changed words joined by blanks, as inserted
    bool changed = false;

    bool operator==(const Segment&) const = default;
};

QList<Segment> segments(const QString& spoken, const QString& inserted);

}
