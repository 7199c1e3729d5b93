#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>
#include <QtQml/qqmlregistration.h>

class QTextDocument;

// Sets every paragraph of a text editor's document to one direction, whatever its first word, one
// alignment (at the right or left edge, not mirrored by the direction) and extra space between
// lines; text typed or set later keeps all three. QML's text editor offers none of them.
class ParagraphStyle : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickTextDocument* document READ document WRITE setDocument NOTIFY documentChanged)
    Q_PROPERTY(bool rightToLeft READ rightToLeft WRITE setRightToLeft NOTIFY styleChanged)
    // Qt.AlignLeft, Qt.AlignRight or Qt.AlignHCenter; 0 follows the direction (right to left at the right).
    Q_PROPERTY(int alignment READ alignment WRITE setAlignment NOTIFY styleChanged)
    Q_PROPERTY(qreal lineSpacing READ lineSpacing WRITE setLineSpacing NOTIFY styleChanged)

public:
    using QObject::QObject;

    QQuickTextDocument* document() const { return document_; }
    void setDocument(QQuickTextDocument* document);
    bool rightToLeft() const { return rightToLeft_; }
    void setRightToLeft(bool rightToLeft);
    int alignment() const { return alignment_; }
    void setAlignment(int alignment);
    qreal lineSpacing() const { return lineSpacing_; }
    void setLineSpacing(qreal lineSpacing);

signals:
    void documentChanged();
    void styleChanged();

private:
    void restyleLater();
    void apply();

    QPointer<QQuickTextDocument> document_;
    QPointer<QTextDocument> text_;
    bool rightToLeft_ = false;
    int alignment_ = 0;
    qreal lineSpacing_ = 0;
    bool applying_ = false;
    bool restylePending_ = false;
};
