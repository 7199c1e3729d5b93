#include "Core/Settings.h"
#include "LogLines.h"
#include "TestFiles.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <functional>
#include <thread>

#include <utility>
#include <vector>

#include <gtest/gtest.h>

TEST(Settings, LookupTakesEnvironmentThenUserThenBuiltIn)
{
    QTemporaryDir dir;
    Settings settings(dir.filePath(QStringLiteral("settings.conf")));
    Settings::setBuiltIn({{QStringLiteral("QuillmarshServerURL"), QStringLiteral("wss://built.in")}});
    ScopedEnvironment unset("QUILLMARSH_CLOUD_URL", std::nullopt);

    const auto lookup = [&] {
        return settings.lookup("QUILLMARSH_CLOUD_URL", QStringLiteral("cloudURL"),
                               QStringLiteral("QuillmarshServerURL"));
    };
    EXPECT_EQ(lookup(), QStringLiteral("wss://built.in"));

    settings.setValue(QStringLiteral("cloudURL"), QString());
    EXPECT_EQ(lookup(), QStringLiteral("wss://built.in")) << "an empty user value doesn't count";

    settings.setValue(QStringLiteral("cloudURL"), QStringLiteral("wss://user"));
    EXPECT_EQ(lookup(), QStringLiteral("wss://user"));

    {
        ScopedEnvironment empty("QUILLMARSH_CLOUD_URL", QString());
        EXPECT_EQ(lookup(), QStringLiteral("wss://user")) << "an empty variable doesn't count";
    }
    ScopedEnvironment set("QUILLMARSH_CLOUD_URL", QStringLiteral("wss://env"));
    EXPECT_EQ(lookup(), QStringLiteral("wss://env"));

    Settings::setBuiltIn({});
    settings.remove(QStringLiteral("cloudURL"));
    ScopedEnvironment unsetAgain("QUILLMARSH_CLOUD_URL", std::nullopt);
    EXPECT_EQ(lookup(), std::nullopt);
}

TEST(Environment, ExpandsALeadingTildeOnly)
{
    EXPECT_EQ(Environment::expandTilde(QStringLiteral("~/models")), QDir::homePath() + QStringLiteral("/models"));
    EXPECT_EQ(Environment::expandTilde(QStringLiteral("~")), QDir::homePath());
    EXPECT_EQ(Environment::expandTilde(QStringLiteral("/a/~/b")), QStringLiteral("/a/~/b"));
}

TEST(Settings, TheFileIsPrivate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config/Quillmarsh/Quillmarsh.conf"));
    const mode_t mask = ::umask(0);
    Settings(path).setValue(QStringLiteral("cloudToken"), QStringLiteral("secret"));
    ::umask(mask);
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(dir.filePath(QStringLiteral("config/Quillmarsh"))), 0700u);
}

TEST(Settings, ADamagedFileIsKeptAsideWholeAndTold)
{
    QTemporaryDir dir;
    LogLines log;
    const QString path = dir.filePath(QStringLiteral("Quillmarsh.conf"));
    const QByteArray damaged = "[General]\nonboardingDone=true\n[broken\n\xff\xfe garbage\n";
    writeFile(path, damaged);
    {
        Settings settings(path);
        EXPECT_TRUE(settings.wasDamaged());
        EXPECT_TRUE(settings.value(QStringLiteral("onboardingDone")).toBool()) << "what could be read stays";
        EXPECT_EQ(readFile(dir.filePath(QStringLiteral("Quillmarsh.unreadable.conf"))), damaged);
        EXPECT_TRUE(settings.problem().contains(QStringLiteral("kept aside as Quillmarsh.unreadable.conf")));
        settings.setValue(QStringLiteral("punctuation"), false);
    }
    EXPECT_TRUE(log.mentions(QStringLiteral("settings file unreadable (part of it can't be understood); kept as "
                                            "Quillmarsh.unreadable.conf")));
    const Settings reread(path);
    EXPECT_FALSE(reread.wasDamaged());
    EXPECT_EQ(reread.problem(), QString());
    EXPECT_TRUE(reread.value(QStringLiteral("onboardingDone")).toBool());
    EXPECT_FALSE(reread.value(QStringLiteral("punctuation")).toBool());

    // A file that can't be read at all (a folder in its place) goes aside too, under a new name.
    QFile::remove(path);
    writeFile(path + QStringLiteral("/inside"), "kept");
    Settings settings(path);
    EXPECT_TRUE(settings.wasDamaged());
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("Quillmarsh.unreadable-2.conf/inside"))), QByteArray("kept"));
    settings.setValue(QStringLiteral("punctuation"), true);
    EXPECT_TRUE(Settings(path).value(QStringLiteral("punctuation")).toBool()) << "settings are saved again";
}

TEST(Settings, DamageQSettingsWouldReadPastIsKeptAsideToo)
{
    const QList<std::pair<QByteArray, QString>> damages = {
        {"[General]\nhistoryDays=365\nK\x01\x02garbage\n", QStringLiteral("it isn't text")},
        {"[General]\nhistoryDays=365\nappName=\xc3\x28\n", QStringLiteral("it isn't text")},
        {"[General]\nhistoryDays=365\nkeepClips=tr", QStringLiteral("its last line is cut off")},
        {"[General]\nhistoryDays=365\nnot a setting at all\n", QStringLiteral("part of it can't be understood")},
        {"[General]\nhistoryDays=365\nkeepClips=ture\nnot=a\x01setting\n", QStringLiteral("it isn't text")},
    };
    for (const auto& [damaged, reason] : damages) {
        QTemporaryDir dir;
        LogLines log;
        const QString path = dir.filePath(QStringLiteral("Quillmarsh.conf"));
        writeFile(path, damaged);
        const Settings settings(path);
        EXPECT_TRUE(settings.wasDamaged()) << damaged.constData();
        EXPECT_EQ(readFile(dir.filePath(QStringLiteral("Quillmarsh.unreadable.conf"))), damaged);
        EXPECT_EQ(settings.value(QStringLiteral("historyDays")).toInt(), 365) << "what could be read stays";
        // The new file holds our own keys with valid values, and nothing the reader made of the rest.
        EXPECT_EQ(QSettings(path, QSettings::IniFormat).allKeys(), QStringList{QStringLiteral("historyDays")})
            << damaged.constData();
        EXPECT_TRUE(settings.problem().contains(QStringLiteral("kept aside as Quillmarsh.unreadable.conf")));
        EXPECT_TRUE(log.mentions(QStringLiteral("settings file unreadable (%1)").arg(reason))) << damaged.constData();
    }

    // What QSettings itself writes is whole.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmarsh.conf"));
    Settings(path).setValue(QStringLiteral("list"), QStringList{QStringLiteral("a, b"), QStringLiteral("\u0633")});
    const Settings settings(path);
    EXPECT_FALSE(settings.wasDamaged());
    EXPECT_FALSE(settings.wasMissing());
}

// The servers' addresses and tokens the user wrote into the file survive its repair.
TEST(Settings, ADamagedFileKeepsTheServersTheUserSet)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmarsh.conf"));
    writeFile(path, "[General]\ncloudURL=wss://speech.example/v1\ncloudToken=abc.DEF-123_=\n"
                    "formatURL=https://format.example/fix\nformatToken=t0k3n\nformatToken2=\x01\n");
    const Settings settings(path);
    ASSERT_TRUE(settings.wasDamaged());
    QStringList kept = QSettings(path, QSettings::IniFormat).allKeys();
    kept.sort();
    EXPECT_EQ(kept, (QStringList{"cloudToken", "cloudURL", "formatToken", "formatURL"}));
    EXPECT_EQ(settings.lookup(nullptr, QStringLiteral("formatToken")), QStringLiteral("t0k3n"));
}

TEST(Settings, ADoubtedValueIsNoChoiceUntilItIsSetAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Quillmarsh.conf"));
    const auto keys = QStringList{QStringLiteral("historyDays"), QStringLiteral("keepClips")};
    {
        Settings settings(path);
        EXPECT_TRUE(settings.wasMissing());
        EXPECT_TRUE(settings.isChosen(keys[0]));
        settings.doubt(keys);
    }
    Settings settings(path);
    EXPECT_FALSE(settings.isChosen(keys[0])) << "the doubt outlives the run";
    EXPECT_FALSE(settings.isChosen(keys[1]));
    settings.setValue(keys[0], 30);
    EXPECT_TRUE(settings.isChosen(keys[0]));
    EXPECT_FALSE(settings.isChosen(keys[1]));
    settings.setValue(keys[1], false);
    EXPECT_TRUE(Settings(path).isChosen(keys[1]));
}

TEST(Settings, ASaveThatFailsIsTold)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("file")), "not a folder");
    Settings settings(dir.filePath(QStringLiteral("file/Quillmarsh.conf")));
    EXPECT_EQ(settings.problem(), QString());
    settings.setValue(QStringLiteral("punctuation"), false);
    EXPECT_TRUE(settings.problem().startsWith(QStringLiteral("Couldn\u2019t save your settings")));
}

// A server's address or token typed into the file is read as typed, whatever the file's rules for
// lists, comments and escapes would make of it, and reads the same after the file is written again.
TEST(Settings, ValuesTypedByHandAreReadAsTyped)
{
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {"cloudToken=tok,en", QStringLiteral("tok,en")},
        {"formatToken=ft;semi", QStringLiteral("ft;semi")},
        {"cloudToken=say\"hi\"", QStringLiteral("say\"hi\"")},
        {"cloudToken=back\\slash", QStringLiteral("back\\slash")},
        {"cloudToken=C:\\new\\table", QStringLiteral("C:\\new\\table")},
        {"formatToken=\\a\\b\\f\\n\\r\\t\\v\\0", QStringLiteral("\\a\\b\\f\\n\\r\\t\\v\\0")},
        {"cloudToken=x\\\"y", QStringLiteral("x\\\"y")},
        {"cloudToken=two\\\\back", QStringLiteral("two\\\\back")},
        {"cloudToken=@Variant(x)", QStringLiteral("@Variant(x)")},
        {"formatURL=https://format.example/fix?a=1,2", QStringLiteral("https://format.example/fix?a=1,2")},
        // What the file's own writer, or quotes, made of a value still reads as before.
        {"cloudURL=\"wss://speech.example/v1?k=v\"", QStringLiteral("wss://speech.example/v1?k=v")},
        {"cloudToken=\"a,b\"", QStringLiteral("a,b")},
        {"cloudToken=\"x\\\"y\\\\z\"", QStringLiteral("x\"y\\z")},
        {"formatToken=  t0k3n  ", QStringLiteral("t0k3n")},
    };
    QTemporaryDir temporaries;
    for (const auto& [line, expected] : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quillmarsh.conf"));
        const QByteArray file = "[General]\n" + line + "\nhistoryDays=30\n";
        writeFile(path, file);
        const QString key = QString::fromUtf8(line.left(line.indexOf('=')));
        {
            // Reading writes nothing, in the file's folder or elsewhere.
            const ScopedEnvironment temporary("TMPDIR", temporaries.path());
            const QDateTime written = QFileInfo(path).lastModified();
            Settings settings(path);
            EXPECT_EQ(settings.value(key).toString().toStdString(), expected.toStdString()) << line.constData();
            EXPECT_EQ(readFile(path).toStdString(), file.toStdString()) << "nothing written";
            EXPECT_EQ(QFileInfo(path).lastModified(), written) << line.constData();
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
            EXPECT_EQ(QDir(temporaries.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
            // Any later save writes the whole file again.
            settings.setValue(QStringLiteral("historyDays"), 90);
        }
        EXPECT_EQ(Settings(path).value(key).toString().toStdString(), expected.toStdString())
            << line.constData() << " written back";
        EXPECT_EQ(Settings(path).lookup(nullptr, key), expected) << line.constData() << " read again";
    }
}

// A value set here reads back the same, by this class and by the file's own reader.
TEST(Settings, ValuesSetHereReadBackTheSame)
{
    const QStringList values = {
        QStringLiteral("C:\\new\\table"),
        QStringLiteral("x\"y"),
        QStringLiteral("\"quoted\""),
        QStringLiteral("two\\\\back"),
        QStringLiteral("a,b;c=d"),
        QStringLiteral("@at"),
        QStringLiteral("wss://plain.example/v1"),
    };
    for (const QString& value : values) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quillmarsh.conf"));
        Settings(path).setValue(QStringLiteral("cloudToken"), value);
        for (int start = 0; start < 3; ++start)
            EXPECT_EQ(Settings(path).value(QStringLiteral("cloudToken")).toString(), value) << start;
        EXPECT_EQ(QSettings(path, QSettings::IniFormat).value(QStringLiteral("cloudToken")).toString(), value);
    }
}

// Two instances share the file and the user edits it while they run: each save writes only the
// keys it sets into the file as it is then, and a value typed by hand is read as it is now.
TEST(Settings, EachSaveWritesOnlyWhatItSets)
{
    const auto save = [](Settings& settings, const QString& key) { settings.setValue(key, QRect(1, 2, 300, 400)); };
    const QString frame = QStringLiteral("QuillmarshMainWindow2");
    const struct {
        const char* what;
        std::function<void(const QString&, Settings&, Settings&)> steps;
        QString formatToken;
        int keysOfTheirOwn;
    } cases[] = {
        {"a hand edit, then a save from each",
         [&](const QString& path, Settings& one, Settings& other) {
             writeFile(path, readFile(path).replace("formatToken=old", "formatToken=C:\\new\\table"));
             save(other, frame);
             save(one, frame);
         },
         QStringLiteral("C:\\new\\table"), 0},
        {"a value set by one, then a save of the other's",
         [&](const QString&, Settings& one, Settings& other) {
             one.setValue(QStringLiteral("formatToken"), QStringLiteral("new"));
             save(other, frame);
         },
         QStringLiteral("new"), 0},
        {"many saves at once, each of a key of its own",
         [&](const QString&, Settings& one, Settings& other) {
             std::thread second([&] {
                 for (int i = 0; i < 40; ++i)
                     save(other, QStringLiteral("other%1").arg(i));
             });
             for (int i = 0; i < 40; ++i)
                 save(one, QStringLiteral("one%1").arg(i));
             second.join();
         },
         QStringLiteral("old"), 80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Quillmarsh.conf"));
        writeFile(path, "[General]\nformatToken=old\ncloudToken=ft,with;semi=1\n");
        Settings one(path);
        Settings other(path);
        c.steps(path, one, other);
        const Settings next(path);
        for (const Settings* settings : std::initializer_list<const Settings*>{&one, &other, &next}) {
            EXPECT_EQ(settings->value(QStringLiteral("formatToken")).toString(), c.formatToken);
            EXPECT_EQ(settings->value(QStringLiteral("cloudToken")).toString(), QStringLiteral("ft,with;semi=1"));
        }
        int kept = 0;
        for (int i = 0; i < 40; ++i)
            kept += int(next.contains(QStringLiteral("one%1").arg(i)))
                    + int(next.contains(QStringLiteral("other%1").arg(i)));
        EXPECT_EQ(kept, c.keysOfTheirOwn);
    }
}
