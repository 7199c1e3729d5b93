#include "Main/MainPages.h"

#include <QFile>

namespace {

struct Page {
    const char* title;
    const char* symbol;
    const char* file;
};

// In the order of MainSection.
constexpr Page pages[] = {
    {"Home", "house", "Home/HomeView.qml"},
    {"History", "clock", "History/HistoryView.qml"},
    {"Styles", "wand.and.stars", "Styles/StylesView.qml"},
    {"Snippets", "bolt", "Snippets/SnippetsView.qml"},
    {"Vocabulary", "character.book.closed", "Vocabulary/VocabularyPane.qml"},
    {"Account", "person.crop.circle", "Account/AccountPane.qml"},
    {"Settings", "gearshape", "Settings/SettingsView.qml"},
};
static_assert(std::size(pages) == MainSections::allCases.size());

const Page* pageOf(const QString& sectionRaw)
{
    const auto section = MainSections::fromRawValue(sectionRaw);
    return section ? &pages[static_cast<int>(*section)] : nullptr;
}

}

QUrl MainPages::page(const QString& sectionRaw)
{
    const Page* page = pageOf(sectionRaw);
    if (!page)
        return {};
    const QString path = QStringLiteral(":/qt/qml/Quillmarsh/App/Main/") + QLatin1String(page->file);
    if (!QFile::exists(path))
        return {};
    return QUrl(QStringLiteral("qrc") + path);
}

QString MainPages::title(const QString& sectionRaw)
{
    const Page* page = pageOf(sectionRaw);
    return page ? QLatin1String(page->title) : QString();
}

QString MainPages::symbol(const QString& sectionRaw)
{
    const Page* page = pageOf(sectionRaw);
    return page ? QLatin1String(page->symbol) : QString();
}
