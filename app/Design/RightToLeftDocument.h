#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>
#include <QtQml/qqmlregistration.h>

class QTextDocument;

// Sets a text editor's document right to left, whatever its first word, with extra space between
// lines; text typed or set later keeps both. QML's text editor offers neither.
class RightToLeftDocument : public QObject {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(QQuickTextDocument* document READ document WRITE setDocument NOTIFY documentChanged)
  Q_PROPERTY(qreal lineSpacing MEMBER m_lineSpacing NOTIFY documentChanged)

public:
  using QObject::QObject;

  QQuickTextDocument* document() const { return m_document; }
  void setDocument(QQuickTextDocument* document);

signals:
  void documentChanged();

private:
  void apply();

  QPointer<QQuickTextDocument> m_document;
  QPointer<QTextDocument> m_text;
  qreal m_lineSpacing = 0;
  bool m_applying = false;
};
