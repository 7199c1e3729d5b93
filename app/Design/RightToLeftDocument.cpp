#include "RightToLeftDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

void RightToLeftDocument::setDocument(QQuickTextDocument* document) {
  if (document == m_document) return;
  if (m_text) disconnect(m_text, nullptr, this, nullptr);
  m_document = document;
  m_text = document ? document->textDocument() : nullptr;
  if (m_text) {
    connect(m_text, &QTextDocument::contentsChanged, this, &RightToLeftDocument::apply);
    apply();
  }
  emit documentChanged();
}

void RightToLeftDocument::apply() {
  if (!m_text || m_applying) return;
  m_applying = true;
  QTextOption option = m_text->defaultTextOption();
  if (option.textDirection() != Qt::RightToLeft) {
    option.setTextDirection(Qt::RightToLeft);
    m_text->setDefaultTextOption(option);
  }
  // Formatting is not an edit of the user's: after a text set from outside (an empty undo
  // history) it stays out of the history; after typing it joins the edit that caused it.
  const bool fresh = m_text->isUndoRedoEnabled() && m_text->availableUndoSteps() == 0;
  if (fresh) m_text->setUndoRedoEnabled(false);
  QTextCursor cursor(m_text);
  bool editing = false;
  for (QTextBlock block = m_text->begin(); block.isValid(); block = block.next()) {
    QTextBlockFormat format = block.blockFormat();
    if (format.layoutDirection() == Qt::RightToLeft &&
        format.lineHeightType() == QTextBlockFormat::LineDistanceHeight &&
        format.lineHeight() == m_lineSpacing) {
      continue;
    }
    if (!editing) {
      fresh ? cursor.beginEditBlock() : cursor.joinPreviousEditBlock();
      editing = true;
    }
    format.setLayoutDirection(Qt::RightToLeft);
    format.setLineHeight(m_lineSpacing, QTextBlockFormat::LineDistanceHeight);
    cursor.setPosition(block.position());
    cursor.setBlockFormat(format);
  }
  if (editing) cursor.endEditBlock();
  if (fresh) m_text->setUndoRedoEnabled(true);
  m_applying = false;
}
