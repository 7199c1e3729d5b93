#include "PageFixture.h"

#include "Main/Snippets/SnippetEditor.h"
#include "Main/Styles/Applications.h"
#include "Snippets/SnippetStore.h"
#include "StoreSaves.h"
#include "Style/StylePolicy.h"
#include "TestFiles.h"
#include "UserRecords.h"
#include "Xdg/XdgAppIdentity.h"

#include <QJsonDocument>
#include <QTimeZone>

namespace {

class ListedWindows final : public DesktopWindows {
public:
    std::optional<DesktopWindow> active() const override
    {
        return windows.isEmpty() ? std::nullopt : std::optional(windows.first());
    }
    QList<DesktopWindow> applicationWindows() const override { return windows; }

    QList<DesktopWindow> windows;
};

}

struct PageFixture::World {
    QTemporaryDir folder;
    UserRecords records{folder.path()};
    ListedWindows windows;
    XdgAppIdentity identity{{folder.filePath(QStringLiteral("applications"))}};
    Applications applications{windows, identity};
};

PageFixture::PageFixture(QObject* parent) : QObject(parent)
{
    reset();
}

PageFixture::~PageFixture() = default;

AppModel* PageFixture::model() const
{
    return &world_->records.model;
}

void PageFixture::reset()
{
    world_ = std::make_unique<World>();
    world_->records.model.setApplications(&world_->applications);
    emit modelChanged();
}

void PageFixture::fillSnippets(int count)
{
    for (int i = world_->records.snippets.entries().size(); i < count; ++i)
        world_->records.snippets.add(QStringLiteral("phrase %1").arg(i + 1), QStringLiteral("text %1").arg(i + 1),
                                     false);
}

void PageFixture::fillWords(int count)
{
    for (int i = world_->records.vocabulary.entries().size(); i < count; ++i)
        world_->records.vocabulary.add(QStringLiteral("word %1").arg(i + 1), VocabularyEntry::Source::you);
}

QStringList PageFixture::storedTriggers() const
{
    allSaved(world_->records.snippets);
    const SnippetStore reread(world_->records.snippets.url());
    QStringList triggers;
    for (const Snippet& snippet : reread.entries())
        triggers.append(snippet.trigger);
    return triggers;
}

QStringList PageFixture::storedWords() const
{
    allSaved(world_->records.vocabulary);
    return VocabularyStore(world_->records.vocabulary.url()).hotwords();
}

QVariantMap PageFixture::storedPolicy() const
{
    const Settings reread(world_->folder.filePath(QStringLiteral("settings.conf")));
    return QJsonDocument::fromJson(reread.value(QStringLiteral("stylePolicy")).toByteArray()).toVariant().toMap();
}

void PageFixture::setWindows(const QVariantList& windows)
{
    world_->windows.windows.clear();
    quint64 id = 1;
    for (const QVariant& item : windows) {
        const QVariantMap window = item.toMap();
        world_->windows.windows.append({id++, window.value(QStringLiteral("id")).toString(), QString(),
                                        window.value(QStringLiteral("pid")).toLongLong()});
    }
}

void PageFixture::installApp(const QString& desktopId, const QString& name)
{
    writeFile(world_->folder.filePath(QStringLiteral("applications/%1.desktop").arg(desktopId)),
              QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=true\n").arg(name).toUtf8());
}

void PageFixture::useManualClock(QObject* snippetEditor)
{
    if (auto* editor = qobject_cast<SnippetEditor*>(snippetEditor))
        editor->setClock(clock_);
}

void PageFixture::advance(int milliseconds)
{
    clock_.advance(std::chrono::milliseconds(milliseconds));
}
