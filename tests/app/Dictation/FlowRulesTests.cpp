// The flow's rules that live outside the X server: what the key monitor makes of raw key events,
// which keystrokes are our own, how a terminal is pasted into, the Linux applications'
// categories, what the focused element's answer, whenever it comes, allows of the text, and the
// order dictations go out in.

#include "Dictation/FocusLookup.h"
#include "Dictation/Inserter.h"
#include "Dictation/Turns.h"
#include "HotkeyMonitor.h"
#include "Keysyms.h"
#include "ManualClock.h"
#include "Style/AppCategory.h"
#include "Style/StylePolicy.h"
#include "Style/Terminals.h"
#include "SyntheticKeys.h"

#include <gtest/gtest.h>

namespace {
struct KeyCase {
    const char* name;
    HotkeyMonitor::Key key;
    std::vector<RawKey> events;
    QStringList calls;
};

RawKey down(quint32 keysym, bool repeat = false)
{
    return {keysym, keysym, true, repeat};
}
RawKey up(quint32 keysym)
{
    return {keysym, keysym, false, false};
}

// An application whose focus search answers when the test says.
class AnsweringLater final : public FocusedText {
public:
    void find(qint64, std::function<void(FocusAnswer)> found) override { found_ = std::move(found); }
    void isFocused(const FocusedElement&, std::function<void(std::optional<bool>)>) override {}
    void read(const FocusedElement&, std::function<void(std::optional<FieldText>)>) override {}
    void replace(const FocusedElement&, Replace::Range, const QString&, const QString&,
                 std::function<void(bool)>) override
    {
    }

    void answer(const FocusAnswer& answer)
    {
        if (found_)
            std::exchange(found_, nullptr)(answer);
    }

private:
    std::function<void(FocusAnswer)> found_;
};

FocusAnswer passwordField()
{
    FocusedElement element;
    element.id = QStringLiteral(":1.7:/field");
    element.password = true;
    return {element, false};
}
}

TEST(FlowRules, APasswordFieldKeepsNothingWhateverTheTimingOfItsAnswer)
{
    using Privacy = FocusLookup::Privacy;
    using std::chrono::milliseconds;
    const milliseconds never{-1};
    // When the answer comes, counted from the final text; the paste goes ahead at FocusLookup::bound.
    const milliseconds timings[] = {milliseconds(0),    milliseconds(100),  milliseconds(249),
                                    milliseconds(250),  milliseconds(400),  milliseconds(1000),
                                    milliseconds(3249), milliseconds(3251), never};
    for (const milliseconds at : timings) {
        ManualClock clock;
        AnsweringLater application;
        FocusLookup lookup(application, clock);
        lookup.find(42);
        std::optional<FocusedElement> pastedInto;
        std::optional<Privacy> decided;
        lookup.whenKnown([&] {
            pastedInto = lookup.element();
            // What may be kept is asked for when the text is pasted.
            lookup.whenDecided([&](Privacy privacy) { decided = privacy; });
        });
        if (at == milliseconds(0))
            application.answer(passwordField());
        for (milliseconds now(1); now <= milliseconds(4000); ++now) {
            clock.advance(milliseconds(1));
            if (now == at)
                application.answer(passwordField());
        }
        application.answer(passwordField());
        ASSERT_TRUE(decided) << at.count();
        EXPECT_NE(*decided, Privacy::open) << at.count();
        // Known by the paste: only copied. Known later: pasted, but kept nowhere.
        EXPECT_EQ(pastedInto.has_value(), at != never && at < FocusLookup::bound) << at.count();
        const bool answeredInTime = at != never && at < FocusLookup::bound + FocusLookup::decisionBound;
        EXPECT_EQ(*decided, answeredInTime ? Privacy::password : Privacy::unknown) << at.count();
    }
}

TEST(FlowRules, AnApplicationThatAnswersOrPublishesNothingIsRecordedAsBefore)
{
    using Privacy = FocusLookup::Privacy;
    FocusedElement text;
    text.id = QStringLiteral(":1.7:/text");
    const std::pair<FocusAnswer, Privacy> cases[] = {
        {{text, false}, Privacy::open},
        {{std::nullopt, false}, Privacy::open},  // not on the accessibility bus, or nothing focused
        {{std::nullopt, true}, Privacy::unknown},  // on the bus, but a question went unanswered
        {passwordField(), Privacy::password},
    };
    for (const auto& [answer, expected] : cases) {
        ManualClock clock;
        AnsweringLater application;
        FocusLookup lookup(application, clock);
        lookup.find(42);
        std::optional<Privacy> decided;
        lookup.whenDecided([&](Privacy privacy) { decided = privacy; });
        application.answer(answer);
        EXPECT_EQ(decided, expected);
        // A new search starts from nothing; the one before it is still decided as it was.
        lookup.find(43);
        EXPECT_FALSE(lookup.element());
        std::optional<Privacy> next;
        lookup.whenDecided([&](Privacy privacy) { next = privacy; });
        clock.advance(FocusLookup::decisionBound);
        EXPECT_EQ(next, Privacy::unknown);
    }
}

TEST(FlowRules, TheKeyMonitorTurnsRawEventsIntoTheControllersCalls)
{
    using Key = HotkeyMonitor::Key;
    const quint32 a = 0x61;
    const KeyCase cases[] = {
        {"hold and release", Key::fn, {down(Keysyms::controlRight), up(Keysyms::controlRight)}, {"down", "up"}},
        {"another key while held is a chord",
         Key::fn,
         {down(Keysyms::controlRight), down(a), up(a), up(Keysyms::controlRight)},
         {"down", "up chord"}},
        {"auto-repeat is one press",
         Key::fn,
         {down(Keysyms::controlRight), down(Keysyms::controlRight, true), up(Keysyms::controlRight)},
         {"down", "up"}},
        {"left Ctrl is not the key", Key::fn, {down(Keysyms::controlLeft), up(Keysyms::controlLeft)}, {}},
        {"AltGr is right Alt",
         Key::rightOption,
         {down(Keysyms::level3Shift), up(Keysyms::level3Shift)},
         {"down", "up"}},
        {"right Super", Key::rightCommand, {down(Keysyms::superRight), up(Keysyms::superRight)}, {"down", "up"}},
        {"Escape while held, then release",
         Key::fn,
         {down(Keysyms::controlRight), down(Keysyms::escape), up(Keysyms::controlRight)},
         {"down", "escape", "up"}},
        {"other keys alone do nothing", Key::fn, {down(a), up(a), down(Keysyms::escape)}, {"escape"}},
    };
    for (const KeyCase& c : cases) {
        RawInput input;
        HotkeyMonitor monitor(input, c.key);
        QStringList calls;
        monitor.onKeyDown = [&] { calls << QStringLiteral("down"); };
        monitor.onKeyUp = [&](bool chord) { calls << (chord ? QStringLiteral("up chord") : QStringLiteral("up")); };
        monitor.onEscape = [&] { calls << QStringLiteral("escape"); };
        for (const RawKey& event : c.events)
            emit input.key(event);
        EXPECT_EQ(calls, c.calls) << c.name;
    }
}

TEST(FlowRules, EachPostedKeystrokeMatchesOneEventOfTheSameKeyAndDirectionWithinASecond)
{
    ManualClock clock;
    SyntheticKeys keys(clock);
    keys.posted(55, true);
    keys.posted(55, false);
    EXPECT_FALSE(keys.takeIfOurs(55, false) && keys.takeIfOurs(55, false)) << "one posting, one event";
    EXPECT_FALSE(keys.takeIfOurs(56, true)) << "another key is the user's";
    EXPECT_TRUE(keys.takeIfOurs(55, true));
    EXPECT_FALSE(keys.takeIfOurs(55, true)) << "the same key again is the user's";

    keys.posted(55, true);
    clock.advance(SyntheticKeys::window + std::chrono::milliseconds(1));
    EXPECT_FALSE(keys.takeIfOurs(55, true)) << "a posting never seen back is forgotten";
}

TEST(FlowRules, TerminalsPasteWithShiftAndCountAsCode)
{
    EXPECT_EQ(Inserter::pasteKeys(Inserter::Target::terminal),
              (QList<quint32>{Keysyms::controlLeft, Keysyms::shiftLeft, Keysyms::letterV}));
    EXPECT_EQ(Inserter::pasteKeys(Inserter::Target::field), (QList<quint32>{Keysyms::controlLeft, Keysyms::letterV}));
    for (const QString& id : Terminals::ids())
        EXPECT_EQ(AppCategories::of(id), AppCategory::code) << id.toStdString();
    EXPECT_FALSE(Terminals::isTerminal(QStringLiteral("org.gnome.TextEditor")));
    EXPECT_FALSE(Terminals::isTerminal(std::nullopt));
}

TEST(FlowRules, LinuxApplicationsGetTheCategoriesAndStylesOfTheirKind)
{
    const std::pair<const char*, AppCategory> cases[] = {
        {"org.mozilla.thunderbird", AppCategory::email},
        {"slack", AppCategory::messaging},
        {"libreoffice-writer", AppCategory::documents},
        {"code", AppCategory::code},
        {"firefox", AppCategory::other},
    };
    for (const auto& [id, category] : cases)
        EXPECT_EQ(AppCategories::of(QString::fromLatin1(id)), category) << id;
    EXPECT_EQ(AppCategories::of(QStringLiteral("firefox"), QStringLiteral("Inbox (3) - Gmail - Mozilla Firefox")),
              AppCategory::email);
    EXPECT_EQ(StylePolicy::standard().style(QStringLiteral("chromium"), QStringLiteral("Chat - Slack")),
              DictationStyle::clean);
    EXPECT_EQ(StylePolicy::standard().style(QStringLiteral("kitty"), std::nullopt), DictationStyle::asSpoken);
}

TEST(FlowRules, WorkReadyOutOfOrderRunsInTurnOrderEachAfterTheOneBeforeIsDone)
{
    Turns turns;
    QStringList ran;
    Turns::Done secondsEnd;
    const auto work = [&](const char* name, bool endsAtOnce) {
        return [&ran, &secondsEnd, name, endsAtOnce](const Turns::Done& done) {
            ran << QString::fromLatin1(name);
            if (endsAtOnce) {
                done();
                done();  // a second call ends nothing more
            } else {
                secondsEnd = done;
            }
        };
    };
    const Turns::Turn first = turns.take(), second = turns.take(), third = turns.take();
    turns.when(third, work("third", true));
    turns.when(second, work("second", false));
    EXPECT_TRUE(ran.isEmpty());
    turns.when(first, work("first", true));
    EXPECT_EQ(ran, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));
    secondsEnd();
    turns.when(turns.take(), work("fourth", true));
    EXPECT_EQ(ran, (QStringList{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third"),
                                QStringLiteral("fourth")}));
}
