#pragma once
// What each section of the main window shows: its sidebar title and symbol, and the QML file
// that draws its page. A page is one file of this folder, named after the section (HomeView.qml,
// VocabularyPane.qml, ...) and given the page model as `model`; a section whose file is not part
// of the build has no page yet.

#include "Main/MainSection.h"

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class MainPages : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The page's address in the module, or an empty address when the section has no page.
    Q_INVOKABLE static QUrl page(const QString& sectionRaw);
    Q_INVOKABLE static QString title(const QString& sectionRaw);
    // A drawing of the design system's icons/.
    Q_INVOKABLE static QString symbol(const QString& sectionRaw);
};
