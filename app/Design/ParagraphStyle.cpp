#include "ParagraphStyle.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

void ParagraphStyle::setDocument(QQuickTextDocument* document)
{
    if (document == document_)
        return;
    if (text_)
        disconnect(text_, nullptr, this, nullptr);
    document_ = document;
    text_ = document ? document->textDocument() : nullptr;
    if (text_) {
        connect(text_, &QTextDocument::contentsChanged, this, &ParagraphStyle::apply);
        apply();
    }
    emit documentChanged();
}

void ParagraphStyle::setRightToLeft(bool rightToLeft)
{
    if (rightToLeft == rightToLeft_)
        return;
    rightToLeft_ = rightToLeft;
    restyleLater();
    emit styleChanged();
}

void ParagraphStyle::setAlignment(int alignment)
{
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    restyleLater();
    emit styleChanged();
}

void ParagraphStyle::setLineSpacing(qreal lineSpacing)
{
    if (lineSpacing == lineSpacing_)
        return;
    lineSpacing_ = lineSpacing;
    restyleLater();
    emit styleChanged();
}

void ParagraphStyle::restyleLater()
{
    // Formatting the document tells its editor that its text changed; the binding that changed
    // the style (one that reads the text) is not yet done, so the formatting waits for it.
    if (!restylePending_) {
        restylePending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                restylePending_ = false;
                apply();
            },
            Qt::QueuedConnection);
    }
}

void ParagraphStyle::apply()
{
    if (!text_ || applying_)
        return;
    applying_ = true;
    const Qt::LayoutDirection direction = rightToLeft_ ? Qt::RightToLeft : Qt::LeftToRight;
    QTextOption option = text_->defaultTextOption();
    if (option.textDirection() != direction) {
        option.setTextDirection(direction);
        text_->setDefaultTextOption(option);
    }
    // Formatting is not an edit of the user's: after a text set from outside (an empty undo
    // history) it stays out of the history; after typing it joins the edit that caused it.
    const bool fresh = text_->isUndoRedoEnabled() && text_->availableUndoSteps() == 0;
    if (fresh)
        text_->setUndoRedoEnabled(false);
    QTextCursor cursor(text_);
    bool editing = false;
    // At its edge whatever the editor's own alignment: a line that starts with a word of the other
    // direction, and the caret of an empty editor, too.
    const Qt::Alignment edge = alignment_ != 0 ? Qt::Alignment(alignment_)
                               : rightToLeft_  ? Qt::AlignRight
                                               : Qt::AlignLeft;
    const Qt::Alignment alignment = edge | Qt::AlignAbsolute;
    for (QTextBlock block = text_->begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        if (format.layoutDirection() == direction && format.alignment() == alignment
            && format.lineHeightType() == QTextBlockFormat::LineDistanceHeight && format.lineHeight() == lineSpacing_) {
            continue;
        }
        if (!editing) {
            fresh ? cursor.beginEditBlock() : cursor.joinPreviousEditBlock();
            editing = true;
        }
        format.setLayoutDirection(direction);
        format.setAlignment(alignment);
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
