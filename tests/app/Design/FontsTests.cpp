#include "Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QTest>

class FontsTests : public QObject {
    Q_OBJECT

private slots:
    void registersTtfFilesOfAnyLetterCase()
    {
        QVERIFY(!QFontDatabase::families().contains(QStringLiteral("Vazirmatn")));
        QVERIFY(!QFontDatabase::families().contains(QStringLiteral("Commissioner")));

        QTemporaryDir folder;
        const QString fonts = QStringLiteral(QUILLMARSH_FONTS_DIR);
        QVERIFY(QFile::copy(fonts + "/Vazirmatn-Regular.ttf", folder.filePath("vazirmatn.TTF")));
        QVERIFY(QFile::copy(fonts + "/Commissioner_400Regular.ttf", folder.filePath("commissioner.Ttf")));
        // Neither a broken font file nor a file of another type stops the others.
        QFile broken(folder.filePath("broken.ttf"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a font");
        broken.close();
        QVERIFY(QFile::copy(fonts + "/Commissioner_600SemiBold.ttf", folder.filePath("semibold.otf")));

        Fonts::registerFolder(folder.path());

        QCOMPARE(QFontInfo(QFont(QStringLiteral("Vazirmatn"))).family(), QStringLiteral("Vazirmatn"));
        QCOMPARE(QFontInfo(QFont(QStringLiteral("Commissioner"))).family(), QStringLiteral("Commissioner"));
        // The ".otf" copy was passed over: only the regular face is there.
        QCOMPARE(QFontDatabase::styles(QStringLiteral("Commissioner")), QStringList{"Regular"});
    }
};

QTEST_MAIN(FontsTests)
#include "FontsTests.moc"
