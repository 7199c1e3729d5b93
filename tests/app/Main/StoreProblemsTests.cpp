// The pages tell the user what their stores couldn't do: a change that couldn't be saved (here
// under a file where the data folder should be, which not even root can write) isn't shown as
// kept, and a damaged file kept aside at start is named where its page shows.
#include "Clips/ClipVault.h"
#include "Core/Settings.h"
#include "History/HistoryStore.h"
#include "History/UsageStats.h"
#include "Main/AppModel.h"
#include "Main/History/HistoryListModel.h"
#include "Main/Home/HomeModel.h"
#include "Main/MainActions.h"
#include "Main/Snippets/SnippetEditor.h"
#include "Main/Snippets/SnippetList.h"
#include "Main/Vocabulary/VocabularyEditor.h"
#include "Main/Vocabulary/VocabularyList.h"
#include "Snippets/SnippetStore.h"
#include "TestFiles.h"
#include "VocabularyStore.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <memory>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

namespace {

// The stores in `data` under a temporary folder, and the page model over them.
struct Records {
    explicit Records(const QString& data)
        : settings(data + QStringLiteral("/settings.conf")), history(data + QStringLiteral("/history.json")),
          stats(data + QStringLiteral("/stats.json"), QTimeZone::utc()), vault(data + QStringLiteral("/clips")),
          vocabulary(data + QStringLiteral("/vocabulary.json")), snippets(data + QStringLiteral("/snippets.json")),
          model({history, stats, vault, vocabulary, snippets}, actions, settings)
    {
    }

    Settings settings;
    HistoryStore history;
    UsageStats stats;
    ClipVault vault;
    VocabularyStore vocabulary;
    SnippetStore snippets;
    MainActions actions;
    AppModel model;
};

}

class StoreProblemsTests : public QObject {
    Q_OBJECT

private slots:
    void aChangeThatCouldntBeSavedSaysWhyAndIsNotListed()
    {
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("data")), "a file where the folder should be");
        Records records(folder.filePath(QStringLiteral("data")));

        SnippetEditor snippetEditor;
        snippetEditor.setStore(&records.snippets);
        SnippetList snippets;
        snippets.setStore(&records.snippets);
        snippetEditor.setTrigger(QStringLiteral("my address"));
        snippetEditor.setText(QStringLiteral("1 Main St"));
        snippetEditor.save();
        QVERIFY2(snippetEditor.problem().startsWith(QStringLiteral("Couldn\u2019t save the snippets: ")),
                 qPrintable(snippetEditor.problem()));
        QVERIFY(!snippetEditor.saved());
        QCOMPARE(snippetEditor.editing(), QString());
        QCOMPARE(snippets.count(), 0);

        VocabularyEditor vocabularyEditor;
        vocabularyEditor.setStore(&records.vocabulary);
        VocabularyList words;
        words.setStore(&records.vocabulary);
        vocabularyEditor.setDraft(QStringLiteral("Kubernetes"));
        vocabularyEditor.add();
        QVERIFY2(vocabularyEditor.problem().startsWith(QStringLiteral("Couldn\u2019t save the vocabulary: ")),
                 qPrintable(vocabularyEditor.problem()));
        QCOMPARE(vocabularyEditor.draft(), QStringLiteral("Kubernetes"));
        QCOMPARE(words.count(), 0);

        HistoryListModel history;
        history.setAppModel(&records.model);
        QSignalSpy told(&history, &HistoryListModel::problemChanged);
        history.clearHistory();
        QVERIFY(!told.isEmpty());
        QVERIFY2(history.problem().startsWith(QStringLiteral("Couldn\u2019t save the history: ")),
                 qPrintable(history.problem()));

        HomeModel home;
        home.setModel(&records.model);
        QVERIFY(records.stats.record(3, 1, QDateTime::currentDateTimeUtc()).has_value());
        QVERIFY(home.notice().contains(QStringLiteral("Couldn\u2019t save the usage counts: ")));
        QVERIFY(home.notice().contains(history.problem()));
        QCOMPARE(home.week().value(QStringLiteral("dictations")).toString(), QStringLiteral("0"));
    }

    void aFileKeptAsideAtStartIsNamedOnItsPage()
    {
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("history.json")), "[{\"damaged");
        writeFile(folder.filePath(QStringLiteral("history.unreadable.json")), "kept from an earlier start");
        Records records(folder.path());
        const QString told = QStringLiteral("The old file was damaged and kept aside as history.unreadable-2.json.");

        // As the pages bind it: the line follows once the page is given the model.
        QQmlEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QQmlComponent page(&engine);
        page.setData(R"(
            import QtQuick
            import Quillmarsh.App
            Item {
                id: page
                property AppModel model
                HistoryListModel { id: history; appModel: page.model }
                HomeModel { id: home; model: page.model }
                property string historyLine: history.problem
                property string homeLine: home.notice
            })",
                     QUrl());
        std::unique_ptr<QObject> shown(page.create());
        QVERIFY2(shown, qPrintable(page.errorString()));
        shown->setProperty("model", QVariant::fromValue(&records.model));
        QCOMPARE(shown->property("historyLine").toString(), told);
        QCOMPARE(shown->property("homeLine").toString(), told);
    }
};

QTEST_MAIN(StoreProblemsTests)
#include "StoreProblemsTests.moc"
