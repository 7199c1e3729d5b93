#pragma once
// Posts a key chord to whatever window has the focus, as if typed: the keys go down in order and
// up in reverse.

#include <QList>

class KeyPoster {
public:
    virtual ~KeyPoster() = default;
    // False when the desktop doesn't take synthetic keys (no X server, no XTest).
    virtual bool post(const QList<quint32>& keysyms) = 0;
};
