#include "RightToLeftDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

void RightToLeftDocument::setDocument(QQuickTextDocument* document)
{
    if (document == document_)
        return;
    if (text_)
        disconnect(text_, nullptr, this, nullptr);
    document_ = document;
    text_ = document ? document->textDocument() : nullptr;
    if (text_) {
        connect(text_, &QTextDocument::contentsChanged, this, &RightToLeftDocument::apply);
        apply();
    }
    emit documentChanged();
}

void RightToLeftDocument::apply()
{
    if (!text_ || applying_)
        return;
    applying_ = true;
    QTextOption option = text_->defaultTextOption();
    if (option.textDirection() != Qt::RightToLeft) {
        option.setTextDirection(Qt::RightToLeft);
        text_->setDefaultTextOption(option);
    }
    // Formatting is not an edit of the user's: after a text set from outside (an empty undo
    // history) it stays out of the history; after typing it joins the edit that caused it.
    const bool fresh = text_->isUndoRedoEnabled() && text_->availableUndoSteps() == 0;
    if (fresh)
        text_->setUndoRedoEnabled(false);
    QTextCursor cursor(text_);
    bool editing = false;
    // At the right edge whatever the editor's own alignment: a line that starts with a Latin word,
    // and the caret of an empty editor, too.
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignAbsolute;
    for (QTextBlock block = text_->begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (format.layoutDirection() == Qt::RightToLeft && format.alignment() == right
            && format.lineHeightType() == QTextBlockFormat::LineDistanceHeight && format.lineHeight() == lineSpacing_) {
            continue;
        }
        if (!editing) {
            fresh ? cursor.beginEditBlock() : cursor.joinPreviousEditBlock();
            editing = true;
        }
        format.setLayoutDirection(Qt::RightToLeft);
        format.setAlignment(right);
        format.setLineHeight(lineSpacing_, QTextBlockFormat::LineDistanceHeight);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
    if (editing)
        cursor.endEditBlock();
    if (fresh)
        text_->setUndoRedoEnabled(true);
    applying_ = false;
}
