#pragma once
// Every key and button the user presses, whatever window has the focus, minus the keystrokes
// this process posted itself. The X11 layer emits them; tests emit their own.

#include <QObject>

struct RawKey {
    quint32 keycode = 0;
    quint32 keysym = 0;  // the key's symbol without modifiers
    bool press = false;  // false: released
    bool repeat = false;  // an auto-repeated press of a key already down
};

class RawInput : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void key(const RawKey& key);
    void button();
};
