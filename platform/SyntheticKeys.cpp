#include "SyntheticKeys.h"

void SyntheticKeys::posted(quint32 keycode, bool press)
{
    postings_.append({keycode, press, clock_.now()});
}

bool SyntheticKeys::takeIfOurs(quint32 keycode, bool press)
{
    const Clock::TimePoint now = clock_.now();
    postings_.removeIf([&](const Posting& posting) { return now - posting.at > window; });
    for (qsizetype i = 0; i < postings_.size(); ++i) {
        if (postings_[i].keycode == keycode && postings_[i].press == press) {
            postings_.removeAt(i);
            return true;
        }
    }
    return false;
}
