// The pages tell the user what their stores couldn't do: a change that couldn't be saved (here
// under a file where the data folder should be, which not even root can write) is listed as made
// and its page says why it isn't saved, and a damaged file kept aside at start is named where its
// page shows.
#include "Main/History/DictationDetail.h"
#include "Main/History/HistoryListModel.h"
#include "Main/Home/HomeModel.h"
#include "Main/Snippets/SnippetEditor.h"
#include "Main/Snippets/SnippetList.h"
#include "Main/Vocabulary/VocabularyEditor.h"
#include "Main/Vocabulary/VocabularyList.h"
#include "StoreSaves.h"
#include "TestFiles.h"
#include "UserRecords.h"

#include <QDir>
#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>
#include <QtQml/qqmlextensionplugin.h>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

Q_IMPORT_QML_PLUGIN(Quillmarsh_DesignPlugin)
Q_IMPORT_QML_PLUGIN(Quillmarsh_AppPlugin)

class StoreProblemsTests : public QObject {
    Q_OBJECT

    // Waits, without handling events, until another store's queue has written the file.
    static bool waitForFile(const QString& path)
    {
        for (int tries = 0; tries < 2000 && !QFile::exists(path); ++tries)
            QThread::msleep(5);
        return QFile::exists(path);
    }

private slots:
    void aChangeThatCouldntBeSavedSaysWhyAndStaysListed()
    {
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("data")), "a file where the folder should be");
        UserRecords records(folder.filePath(QStringLiteral("data")));

        SnippetEditor snippetEditor;
        snippetEditor.setStore(&records.snippets);
        SnippetList snippets;
        snippets.setStore(&records.snippets);
        snippetEditor.setTrigger(QStringLiteral("my address"));
        snippetEditor.setText(QStringLiteral("1 Main St"));
        snippetEditor.save();
        QCOMPARE(snippets.count(), 1);
        QTRY_VERIFY2(snippetEditor.problem().startsWith(QStringLiteral("Couldn\u2019t save the snippets: ")),
                     qPrintable(snippetEditor.problem()));
        QCOMPARE(snippets.count(), 1);

        VocabularyEditor vocabularyEditor;
        vocabularyEditor.setStore(&records.vocabulary);
        VocabularyList words;
        words.setStore(&records.vocabulary);
        vocabularyEditor.setDraft(QStringLiteral("Kubernetes"));
        vocabularyEditor.add();
        QTRY_VERIFY2(vocabularyEditor.problem().startsWith(QStringLiteral("Couldn\u2019t save the vocabulary: ")),
                     qPrintable(vocabularyEditor.problem()));
        QCOMPARE(words.count(), 1);

        HistoryListModel history;
        history.setAppModel(&records.model);
        QSignalSpy told(&history, &HistoryListModel::problemChanged);
        history.clearHistory();
        QTRY_VERIFY(!told.isEmpty());
        QVERIFY2(history.problem().startsWith(QStringLiteral("Couldn\u2019t save the history: ")),
                 qPrintable(history.problem()));

        HomeModel home;
        home.setModel(&records.model);
        records.stats.record(3, 1, QDateTime::currentDateTimeUtc());
        QCOMPARE(home.week().value(QStringLiteral("dictations")).toString(), QStringLiteral("1"));
        QTRY_VERIFY(home.notice().contains(QStringLiteral("Couldn\u2019t save the usage counts: ")));
        QVERIFY(home.notice().contains(history.problem()));
    }

    void aFileKeptAsideAtStartIsNamedOnItsPage()
    {
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("history.json")), "[{\"damaged");
        writeFile(folder.filePath(QStringLiteral("history.unreadable.json")), "kept from an earlier start");
        UserRecords records(folder.path());
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

    void aRecordingLostToAFullDiskIsToldWithItsEntry()
    {
        QTemporaryDir folder;
        // The recording's file goes to a disk with no room left.
        UserRecords records(folder.path(), QTimeZone::utc(), [](const QString&, const QByteArray& bytes, int* error) {
            const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
            const bool written = full >= 0 && ::write(full, bytes.constData(), size_t(bytes.size())) == bytes.size();
            *error = errno;
            ::close(full);
            return written ? std::nullopt : std::optional(QStringLiteral("couldn't write the recording"));
        });
        records.model.setKeepClips(true);
        const HistoryEntry entry(QUuid::createUuid(), QDateTime::currentDateTimeUtc(), QStringLiteral("words"));
        records.history.add(entry);
        DictationDetail detail;
        detail.setAppModel(&records.model);
        detail.setEntryId(entry.id.toString(QUuid::WithoutBraces));
        QSignalSpy changed(&detail, &DictationDetail::entryChanged);

        QString told;
        records.model.keepRecording(std::vector<float>(16000, 0.1f), entry.id, [&](const QString& why) { told = why; });
        QTRY_VERIFY(!changed.isEmpty());
        QCOMPARE(detail.panel(), QStringLiteral("unsaved"));
        QCOMPARE(detail.recordingProblem(), QStringLiteral("This recording couldn\u2019t be kept: the disk is full."));
        QCOMPARE(told, QStringLiteral("The recording couldn\u2019t be kept: the disk is full."));
        QVERIFY(!records.vault.holdsAny());
    }

    // Settings that are lost, damaged or without a valid retention value hold no choice of the
    // user's: a start with them deletes no dictation and no recording on that value, in this run or
    // the next, until the user chooses again; a valid value beside it applies, and Home says what
    // the start does with each.
    void aStartWithoutTheUsersSettingsDeletesNoRecord_data()
    {
        QTest::addColumn<QByteArray>("settings");  // "folder", "link" or the file's content; none when empty
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<int>("entriesKept");
        QTest::addColumn<int>("recordingsKept");
        const QString keptAside = QStringLiteral("kept aside as settings.unreadable.conf");
        const QString neither = QStringLiteral("No dictation or recording is deleted until you choose again in "
                                               "Settings how long to keep them.");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("Your settings were lost.") << neither << 5 << 5;
        QTest::newRow("dangling link") << QByteArray("link") << QStringLiteral("Your settings were lost.") << neither
                                       << 5 << 5;
        QTest::newRow("a folder") << QByteArray("folder") << keptAside << neither << 5 << 5;
        QTest::newRow("garbage") << QByteArray("[General]\nhistoryDays=1\n\x7f\x01\x02\x03\n") << keptAside << neither
                                 << 5 << 5;
        QTest::newRow("cut off") << QByteArray("[General]\nhistoryDays=1\nkeepClips=fa") << keptAside << neither << 5
                                 << 5;
        const QString notChosen;  // the notice alone
        QTest::newRow("cut at a line end")
            << QByteArray("[General]\ndictationKey=fn\n") << notChosen << neither << 5 << 5;
        QTest::newRow("section only") << QByteArray("[General]\n") << notChosen << neither << 5 << 5;
        QTest::newRow("invalid days, recordings kept")
            << QByteArray("[General]\nhistoryDays=abc\nkeepClips=true\n") << notChosen
            << QStringLiteral("No dictation is deleted until you choose again in Settings how long to keep them; "
                              "recordings older than 7 days are deleted.")
            << 5 << 5;
        QTest::newRow("invalid days, recordings off")
            << QByteArray("[General]\nhistoryDays=abc\nkeepClips=false\n") << notChosen
            << QStringLiteral("No dictation is deleted until you choose again in Settings how long to keep them; "
                              "recordings are deleted, as keeping them is off.")
            << 5 << 0;
        QTest::newRow("invalid recordings")
            << QByteArray("[General]\nhistoryDays=30\nkeepClips=ture\n") << notChosen
            << QStringLiteral("No recording is deleted until you choose again in Settings whether to keep them; "
                              "dictations older than 30 days are deleted.")
            << 2 << 5;
    }

    void aStartWithoutTheUsersSettingsDeletesNoRecord()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, told);
        QFETCH(QString, notice);
        QFETCH(int, entriesKept);
        QFETCH(int, recordingsKept);
        QTemporaryDir folder;
        const QString settingsPath = folder.filePath(QStringLiteral("settings.conf"));
        if (settings == "folder")
            QVERIFY(QDir().mkpath(settingsPath));
        else if (settings == "link")
            QVERIFY(QFile::link(folder.filePath(QStringLiteral("gone.conf")), settingsPath));
        else if (!settings.isEmpty())
            writeFile(settingsPath, settings);
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QList<QUuid> ids;
        {
            HistoryStore history(folder.filePath(QStringLiteral("history.json")));
            ClipVault vault(folder.filePath(QStringLiteral("clips")));
            for (int days : {400, 90, 31, 2, 0}) {
                ids.append(QUuid::createUuid());
                history.add(HistoryEntry(ids.last(), now.addDays(-days), QStringLiteral("old words")));
                vault.save(std::vector<float>(8000, 0.1f), ids.last());
            }
            QVERIFY(allSaved(history));
        }

        for (int start = 0; start < 2; ++start) {
            UserRecords records(folder.path());
            records.model.pruneRecords(now);
            QVERIFY(waitUntil([&] { return records.history.unsavedChanges() == 0; }));
            const auto recordings =
                std::count_if(ids.cbegin(), ids.cend(), [&](const QUuid& id) { return records.vault.has(id); });
            QCOMPARE(records.history.entries().size(), entriesKept);
            QCOMPARE(recordings, recordingsKept);
            HomeModel home;
            home.setModel(&records.model);
            QVERIFY2(home.notice().contains(notice), qPrintable(home.notice()));
            if (start == 0 && !told.isEmpty())
                QVERIFY2(home.notice().contains(told), qPrintable(home.notice()));
        }

        // Chosen again, each choice applies.
        UserRecords records(folder.path());
        HomeModel home;
        home.setModel(&records.model);
        QSignalSpy noticed(&home, &HomeModel::noticeChanged);
        records.model.setHistoryDays(30);
        QCOMPARE(records.history.entries().size(), 2);
        QCOMPARE(std::count_if(ids.cbegin(), ids.cend(), [&](const QUuid& id) { return records.vault.has(id); }),
                 recordingsKept);
        records.model.setKeepClips(false);
        QVERIFY(!records.vault.holdsAny());
        QVERIFY(!noticed.isEmpty());
        QCOMPARE(home.notice(), QString());
    }

    // Settings lost while the records can't be read: the records that come back later aren't
    // deleted on values nobody chose, though other settings were saved in the meantime.
    void recordsThatCouldntBeReadAreKeptWhenTheyComeBack()
    {
        QTemporaryDir folder;
        const QString historyPath = folder.filePath(QStringLiteral("history.json"));
        const QString clipsPath = folder.filePath(QStringLiteral("clips"));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QUuid old = QUuid::createUuid();
        {
            HistoryStore history(historyPath);
            ClipVault vault(clipsPath);
            history.add(HistoryEntry(old, now.addDays(-90), QStringLiteral("old words")));
            QVERIFY(allSaved(history));
            vault.save(std::vector<float>(8000, 0.1f), old);
        }
        QVERIFY(QFile::rename(historyPath, historyPath + QStringLiteral(".away")));
        QVERIFY(QFile::rename(clipsPath, clipsPath + QStringLiteral(".away")));
        QVERIFY(QDir().mkpath(historyPath));
        writeFile(clipsPath, "not the folder of recordings");
        {
            UserRecords records(folder.path());
            records.model.pruneRecords(now);
            records.settings.setValue(QStringLiteral("onboardingDone"), true);
        }
        QVERIFY(QDir(historyPath).removeRecursively());
        QVERIFY(QFile::remove(clipsPath));
        QVERIFY(QFile::rename(historyPath + QStringLiteral(".away"), historyPath));
        QVERIFY(QFile::rename(clipsPath + QStringLiteral(".away"), clipsPath));

        UserRecords records(folder.path());
        records.model.pruneRecords(now);
        QCOMPARE(records.history.entries().size(), 1);
        QVERIFY(records.vault.has(old));
        HomeModel home;
        home.setModel(&records.model);
        QVERIFY2(home.notice().contains(QStringLiteral("No dictation or recording is deleted")),
                 qPrintable(home.notice()));
    }

    // A snippet or word the other instance added first (saved before this one saw it) wins; the
    // page whose addition lost says so, until its next change.
    void anAdditionThatLosesToTheOtherInstancesIsSaidOnItsPage()
    {
        QTemporaryDir folder;
        const QString snippetsPath = folder.filePath(QStringLiteral("snippets.json"));
        const QString vocabularyPath = folder.filePath(QStringLiteral("vocabulary.json"));
        SnippetStore snippetsHere(snippetsPath), snippetsThere(snippetsPath);
        VocabularyStore wordsHere(vocabularyPath), wordsThere(vocabularyPath);
        snippetsThere.add(QStringLiteral("My Address"), QStringLiteral("theirs"), false);
        wordsThere.add(QStringLiteral("Kubernetes"), VocabularyEntry::Source::you);
        // Saved there, not yet seen here: no event is handled meanwhile.
        QVERIFY(waitForFile(snippetsPath) && waitForFile(vocabularyPath));

        SnippetEditor snippetEditor;
        snippetEditor.setStore(&snippetsHere);
        snippetEditor.setTrigger(QStringLiteral("my address"));
        snippetEditor.setText(QStringLiteral("mine"));
        snippetEditor.save();
        VocabularyEditor wordEditor;
        wordEditor.setStore(&wordsHere);
        wordEditor.setDraft(QStringLiteral("kubernetes"));
        wordEditor.add();
        QCOMPARE(snippetEditor.problem(), QString());

        QTRY_COMPARE(snippetEditor.problem(),
                     QStringLiteral("A snippet for \u201Cmy address\u201D was saved on another "
                                    "display at the same time; the list keeps that one, not "
                                    "yours."));
        QTRY_COMPARE(wordEditor.problem(), QStringLiteral("\u201Ckubernetes\u201D was added on another display at the "
                                                          "same time; the list keeps that one, not yours."));
        QCOMPARE(snippetsHere.entries().size(), 1);
        QCOMPARE(snippetsHere.entries().first().text, QStringLiteral("theirs"));

        snippetEditor.startNew();
        snippetEditor.setTrigger(QStringLiteral("my phone"));
        snippetEditor.setText(QStringLiteral("0123"));
        snippetEditor.save();
        QCOMPARE(snippetEditor.problem(), QString());
    }

    // Without records, the first start's defaults are the choice: a later start applies them.
    void theFirstStartsDefaultsAreChosen()
    {
        QTemporaryDir folder;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        {
            UserRecords records(folder.path());
            records.model.pruneRecords(now);
            QCOMPARE(records.model.retentionNotice(), QString());
            const HistoryEntry entry(QUuid::createUuid(), now.addDays(-40), QStringLiteral("words"));
            records.history.add(entry);
            QVERIFY(allSaved(records.history));
        }
        UserRecords records(folder.path());
        records.model.pruneRecords(now);
        QVERIFY(records.history.entries().isEmpty());
        QCOMPARE(records.model.retentionNotice(), QString());
    }
};

QTEST_MAIN(StoreProblemsTests)
#include "StoreProblemsTests.moc"
