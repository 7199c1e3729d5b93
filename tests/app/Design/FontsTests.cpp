#include "Fonts.h"
#include "Typography.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
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

    // A Persian number beside a Latin one (the week's figures in a Persian locale): as heavy at
    // semibold, and on a line of the same height and baseline, so the labels under both line up.
    void persianFiguresMatchTheLatinOnes()
    {
        Fonts::registerFolder(QStringLiteral(QUILLMARSH_FONTS_DIR));
        const QString persian = QStringLiteral("\u06f2\u06f3\u06f2\u06f0");
        const QString latin = QStringLiteral("2320");
        const FigureLine regularPersian(persian, Typography::figures(30, QFont::Normal));
        const FigureLine semiboldPersian(persian, Typography::figures(30, QFont::DemiBold));
        const FigureLine semiboldLatin(latin, Typography::figures(30, QFont::DemiBold));
        QCOMPARE(semiboldPersian.layout.glyphRuns().first().rawFont().familyName(),
                 QStringLiteral("Vazirmatn Figures"));
        QCOMPARE(semiboldPersian.line.height(), semiboldLatin.line.height());
        QCOMPARE(semiboldPersian.line.ascent(), semiboldLatin.line.ascent());
        QCOMPARE(regularPersian.line.height(), semiboldPersian.line.height());
        const qreal regularInk = ink(regularPersian);
        const qreal semiboldInk = ink(semiboldPersian);
        QVERIFY2(semiboldInk > regularInk * 1.15,
                 qPrintable(QStringLiteral("%1 / %2").arg(semiboldInk).arg(regularInk)));
    }

private:
    // One line of text laid out in a font.
    struct FigureLine {
        FigureLine(const QString& text, const QFont& font) : layout(text, font)
        {
            layout.beginLayout();
            line = layout.createLine();
            layout.endLayout();
        }
        QTextLayout layout;
        QTextLine line;
    };

    // How much ink the line puts on white, in fully dark pixels.
    static qreal ink(const FigureLine& figure)
    {
        QImage image(QSize(qCeil(figure.line.naturalTextWidth()) + 4, qCeil(figure.line.height()) + 4),
                     QImage::Format_Grayscale8);
        image.fill(Qt::white);
        QPainter painter(&image);
        figure.layout.draw(&painter, QPointF(2, 2));
        painter.end();
        qreal total = 0;
        for (int y = 0; y < image.height(); ++y) {
            const uchar* row = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x)
                total += (255 - row[x]) / 255.0;
        }
        return total;
    }
};

QTEST_MAIN(FontsTests)
#include "FontsTests.moc"
