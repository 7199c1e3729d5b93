#pragma once
// The test application's field published on the accessibility bus by hand, as a GTK application
// publishes it (toolkit "GTK", offsets in characters, InsertText's length in UTF-8 bytes, and a
// direct connection offered to whoever asks), but answering every question a set time after it
// arrives, or never: an editor whose answers are slow, or an application that has stopped
// answering. Optionally the field sits deep in a crowd of other accessibles, last of all, holds no
// more than a number of characters, or changes what is inserted as editors do. It can also count as
// Qt does (offsets and InsertText's length in UTF-16 units, the inserted text cut or padded to that
// length) while its toolkit's name goes unanswered, or names GTK all the same. Its tree can take the
// shapes in which a focused accessible that isn't the field comes first (see Shape).

#include <QDBusServer>
#include <QDBusVirtualObject>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

class SlowAccessibility final : public QDBusVirtualObject {
public:
    enum class Shape {
        field,  // the field alone
        tabBeside,  // as Qt 5: a focused tab in a tab list, then a page holding the field
        tabAbove,  // a focused tab holding the field
        tabAlone,  // a focused tab in a tab list, and a page without the field
        widget,  // as tabBeside, the field published as a panel, without text
    };

    // `delayMs` below 0: never answers. `field` is a QTextEdit, or a QLineEdit for a password.
    // `crowd`: about that many showing accessibles in panes, the field in the last one.
    SlowAccessibility(QWidget& field, bool password, int delayMs, int crowd = 0);
    // From now on an insert that would make the text longer than this is refused.
    void limitTo(int characters) { limit_ = characters; }
    // From now on it counts as Qt does, and names this toolkit (none: doesn't answer).
    void countLikeQt(const QString& named)
    {
        likeQt_ = true;
        toolkit_ = named;
    }
    // From now on inserts arrive as an editor writes them: spaces as no-break spaces, or without
    // the characters beyond the basic plane (emoji), a toolkit that can't show them.
    void writeSpacesUnbreakable() { unbreakable_ = true; }
    void dropEmoji() { dropsEmoji_ = true; }
    void shapeAs(Shape shape) { shape_ = shape; }
    // Questions wait unanswered from hold() until release(), as in an application busy that long
    // whose window still takes keys.
    void hold() { holding_ = true; }
    void release();
    // Joins the accessibility bus at this address and has the registry list the application.
    bool publish(const QString& busAddress);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QDBusMessage answer(const QDBusMessage& message);
    QList<QVariant> children(const QString& path) const;
    QString text() const;
    int caret() const;
    // Between the bus's offsets in characters and the field's in UTF-16 units.
    int units(int characters) const;
    int characters(int units) const;

    QWidget& field_;
    const bool password_;
    const int delayMs_;
    const int panes_;
    const int perPane_;
    int limit_ = -1;
    bool likeQt_ = false;
    bool unbreakable_ = false;
    bool dropsEmoji_ = false;
    Shape shape_ = Shape::field;
    QString toolkit_ = QStringLiteral("GTK");
    bool holding_ = false;
    std::vector<std::function<void()>> held_;
    QString busName_;  // on the accessibility bus, which names the objects also on a direct connection
    QDBusServer direct_{QStringLiteral("unix:tmpdir=/tmp")};
};
