// The application the dictation-flow tests type into: one window with a text field that reports
// its whole text on standard output after every change ("text:", the steady clock's nanoseconds
// at the change, ":" and the text, line breaks as \n). Arguments: the window class it names, the field's starting text
// and where its caret stands, optionally "password" for a one-line password field instead, and optionally
// "answers-after" with a delay in milliseconds (below 0: never) and the accessibility bus's address, to publish the
// field there by hand, answering that late, then optionally "crowd" and a number of other accessibles to publish
// around it. Lines on standard input: "clipboard" puts three formats on the clipboard; "copy" copies the field's
// whole text (and answers "copy"); "clear" empties the field;
// "busy" and milliseconds keeps the application from its events that long, after it has answered "busy"; "limit" and
// a number of characters has the published field refuse inserts beyond it; "hold" keeps its answers until
// "release"; "qt-like" has the published field count as Qt does without saying its toolkit ("qt-like GTK": naming
// GTK all the same); "shape" and "beside", "above", "alone" or "widget" publish the tree in that shape (see
// SlowAccessibility); "nbsp" and "no-emoji" have the published field write inserted spaces as no-break spaces, or
// drop emoji; "format" makes the field's first character bold and its last italic (these answer with their first
// word), and "formats" answers "formats:" and those of the two it still has ("bold", "italic").

#include "SlowAccessibility.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <memory>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStringList arguments = app.arguments();
    const bool password = arguments.size() > 4 && arguments.at(4) == QLatin1String("password");
    if (password)
        arguments.removeAt(4);
    const bool slow = arguments.size() >= 7 && arguments.at(4) == QLatin1String("answers-after");
    const bool crowded = arguments.size() == 9 && slow && arguments.at(7) == QLatin1String("crowd");
    if (arguments.size() != 4 && !(slow && (arguments.size() == 7 || crowded))) {
        std::fprintf(stderr, "usage: flow-target CLASS TEXT CARET [password] [answers-after MS BUS [crowd N]]\n");
        return 2;
    }
    // Qt names its windows' class after the application: the id the tests expect from the window.
    QCoreApplication::setApplicationName(arguments.at(1));

    QTextEdit field;
    field.setAcceptRichText(false);
    field.setPlainText(arguments.at(2));
    QTextCursor cursor = field.textCursor();
    cursor.setPosition(arguments.at(3).toInt());
    field.setTextCursor(cursor);
    QLineEdit secret(arguments.at(2));
    secret.setEchoMode(QLineEdit::Password);
    secret.setCursorPosition(arguments.at(3).toInt());
    QWidget& window = password ? static_cast<QWidget&>(secret) : field;
    window.setWindowTitle(QStringLiteral("Flow target"));
    window.resize(480, 240);

    const auto report = [&] {
        // As written: the plain text would show a no-break space as a space.
        QString text =
            password ? secret.text() : field.document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
        text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        const auto at = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("text:%lld:%s\n", static_cast<long long>(std::chrono::nanoseconds(at).count()),
                    text.toUtf8().constData());
        std::fflush(stdout);
    };
    QObject::connect(&field, &QTextEdit::textChanged, report);
    QObject::connect(&secret, &QLineEdit::textChanged, report);

    std::unique_ptr<SlowAccessibility> published;
    if (slow) {
        published = std::make_unique<SlowAccessibility>(window, password, arguments.at(5).toInt(),
                                                        crowded ? arguments.at(8).toInt() : 0);
        if (!published->publish(arguments.at(6))) {
            std::fprintf(stderr, "flow-target: couldn't publish the field on the accessibility bus\n");
            return 1;
        }
    }

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[64] = {};
        if (!std::fgets(line, sizeof line, stdin)) {
            input.setEnabled(false);
            return;
        }
        const QByteArray command = QByteArray(line).trimmed();
        if (command == "clear") {
            field.clear();
            secret.clear();
        }
        const QList<QByteArray> words = command.split(' ');
        if (words.size() == 2 && words.at(0) == "busy") {
            std::printf("busy\n");
            std::fflush(stdout);
            QThread::msleep(words.at(1).toULong());
        }
        if (words.size() == 2 && words.at(0) == "limit" && published)
            published->limitTo(words.at(1).toInt());
        if (words.at(0) == "qt-like" && published)
            published->countLikeQt(QString::fromUtf8(words.value(1)));
        const QList<QByteArray> shapes = {"", "beside", "above", "alone", "widget"};
        if (words.size() == 2 && words.at(0) == "shape" && published)
            published->shapeAs(SlowAccessibility::Shape(std::max(0, int(shapes.indexOf(words.at(1))))));
        if (words.at(0) == "qt-like" || words.at(0) == "shape" || command == "nbsp" || command == "no-emoji"
            || command == "format") {
            std::printf("%s\n", words.at(0).constData());
            std::fflush(stdout);
        }
        if (command == "nbsp" && published)
            published->writeSpacesUnbreakable();
        if (command == "no-emoji" && published)
            published->dropEmoji();
        const auto charFormatAt = [&](int position) {
            QTextCursor at(field.document());
            at.setPosition(position);
            return at.charFormat();
        };
        if (command == "format" && !field.toPlainText().isEmpty()) {
            QTextCursor first(field.document());
            first.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            first.mergeCharFormat(bold);
            QTextCursor last(field.document());
            last.movePosition(QTextCursor::End);
            last.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
            QTextCharFormat italic;
            italic.setFontItalic(true);
            last.mergeCharFormat(italic);
        }
        if (command == "formats") {
            // A cursor's format is that of the character before it.
            QStringList kept;
            if (charFormatAt(1).fontWeight() == QFont::Bold)
                kept << QStringLiteral("bold");
            if (charFormatAt(int(field.toPlainText().size())).fontItalic())
                kept << QStringLiteral("italic");
            std::printf("formats:%s\n", kept.join(u',').toUtf8().constData());
            std::fflush(stdout);
        }
        if (command == "hold" && published)
            published->hold();
        if (command == "release" && published)
            published->release();
        if (command == "copy") {
            field.selectAll();
            field.copy();
            std::printf("copy\n");
            std::fflush(stdout);
        }
        if (command == "clipboard") {
            auto* data = new QMimeData;
            data->setText(QStringLiteral("kept text"));
            data->setHtml(QStringLiteral("<b>kept</b> text"));
            data->setData(QStringLiteral("application/x-flow-test"), QByteArrayLiteral("\x01\x02kept"));
            QGuiApplication::clipboard()->setMimeData(data);
            std::printf("clipboard\n");
            std::fflush(stdout);
        }
    });

    window.show();
    window.activateWindow();
    window.setFocus();
    report();
    return QApplication::exec();
}
