#include "Fonts.h"
#include "Typography.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>

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

    // A clock set in the figures font keeps its width as it counts: every digit takes one cell.
    void figuresKeepTheirWidthAsTheyChange()
    {
        Fonts::registerFolder(QStringLiteral(QUILLMARSH_FONTS_DIR));
        for (const int weight : {QFont::Normal, QFont::DemiBold}) {
            const QFont font = Typography::figures(13, weight);
            QCOMPARE(QFontInfo(font).family(), QStringLiteral("Commissioner Figures"));
            const QFontMetricsF metrics(font);
            const qreal width = metrics.horizontalAdvance(QStringLiteral("0:00 / 1:48"));
            for (int seconds = 1; seconds <= 108; ++seconds) {
                const QString clock =
                    QStringLiteral("%1:%2 / 1:48").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
                QCOMPARE(metrics.horizontalAdvance(clock), width);
            }
            // Persian digits, as a Persian locale writes numbers, too: Vazirmatn's tabular ones.
            const QString persianDigits = QStringLiteral("۰۱۲۳۴۵۶۷۸۹");
            for (const QChar digit : persianDigits)
                QCOMPARE(metrics.horizontalAdvance(digit), metrics.horizontalAdvance(persianDigits.at(0)));
            QTextLayout layout(persianDigits, font);
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            const QList<QGlyphRun> runs = layout.glyphRuns();
            QCOMPARE(runs.size(), 1);
            QCOMPARE(runs.first().rawFont().familyName(), QStringLiteral("Vazirmatn Figures"));
            // The figures are Commissioner's own, whose digits differ in width.
            const QFontMetricsF latin(Typography::latin(13, weight));
            QVERIFY(latin.horizontalAdvance(QStringLiteral("1")) < latin.horizontalAdvance(QStringLiteral("0")));
        }
    }
};

QTEST_MAIN(FontsTests)
#include "FontsTests.moc"
