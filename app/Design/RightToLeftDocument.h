#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>
#include <QtQml/qqmlregistration.h>

class QTextDocument;

// Sets a text editor's document right to left and right-aligned, whatever its first word, with
// extra space between lines; text typed or set later keeps all three. QML's text editor offers none.
class RightToLeftDocument : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickTextDocument* document READ document WRITE setDocument NOTIFY documentChanged)
    Q_PROPERTY(qreal lineSpacing MEMBER lineSpacing_ NOTIFY documentChanged)

public:
    using QObject::QObject;

    QQuickTextDocument* document() const { return document_; }
    void setDocument(QQuickTextDocument* document);

signals:
    void documentChanged();

private:
    void apply();

    QPointer<QQuickTextDocument> document_;
    QPointer<QTextDocument> text_;
    qreal lineSpacing_ = 0;
    bool applying_ = false;
};
