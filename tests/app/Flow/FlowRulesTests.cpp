// The flow's rules that live outside the X server: what the key monitor makes of raw key events,
// which keystrokes are our own, how a terminal is pasted into, and the Linux applications'
// categories.

#include "HotkeyMonitor.h"
#include "Inserter.h"
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
