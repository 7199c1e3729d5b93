#pragma once

#include <QObject>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// Keeps the rows of a list in the Tab order of their places. A list view makes a row when the row
// comes into view or into the model, and Tab and the arrows follow the order the rows were made
// in: without this, a word added at the top of a list would be reached last. Available to QML as
// the singleton `FocusOrder`.
class FocusOrder : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // For a row's Component.onCompleted and ListView.onAdd: puts `row`, shown at `index` of the
    // list view `list`, just before the row after it, or just after the row before it.
    Q_INVOKABLE static void placeRow(QQuickItem* row, QQuickItem* list, int index);
};
