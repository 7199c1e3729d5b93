// GLib names a structure member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <atspi/atspi.h>
#pragma pop_macro("signals")

#include "AtSpi/AtSpiFocusedText.h"

#include "Core/Log.h"
#include "Core/MainThread.h"

#include <QCoreApplication>
#include <QTimer>

#include <memory>

namespace {
// Accessibles visited in one search at most: a huge document tree is not worth blocking for.
constexpr int searchBudget = 4000;

// Each call waits at most this long for a hung application, also one that has just started.
constexpr int callTimeoutMs = 1000;
constexpr int noStartupGrace = -1;

template <typename T>
struct Unref {
    void operator()(T* object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T>
using Ref = std::unique_ptr<T, Unref<T>>;

struct ErrorSink {
    GError* error = nullptr;
    ~ErrorSink() { clear(); }
    GError** operator&() { return &error; }
    bool failed() const { return error != nullptr; }
    void clear()
    {
        if (error)
            g_error_free(error);
        error = nullptr;
    }
};

bool hasState(AtspiAccessible* accessible, AtspiStateType state)
{
    Ref<AtspiStateSet> states(atspi_accessible_get_state_set(accessible));
    return states && atspi_state_set_contains(states.get(), state);
}

// Depth first through what is showing, to the accessible whose state says focused (referenced).
// An application that doesn't answer ends the search: every further call would wait as long.
AtspiAccessible* findFocused(AtspiAccessible* node, int& budget, bool& unanswered)
{
    if (--budget < 0)
        return nullptr;
    if (hasState(node, ATSPI_STATE_FOCUSED))
        return static_cast<AtspiAccessible*>(g_object_ref(node));
    ErrorSink error;
    const AtspiRole role = atspi_accessible_get_role(node, &error);
    if (role != ATSPI_ROLE_APPLICATION && !error.failed() && !hasState(node, ATSPI_STATE_SHOWING))
        return nullptr;
    const int count = error.failed() ? 0 : atspi_accessible_get_child_count(node, &error);
    for (int i = 0; i < count && !error.failed(); ++i) {
        Ref<AtspiAccessible> child(atspi_accessible_get_child_at_index(node, i, &error));
        if (!child)
            continue;
        if (AtspiAccessible* found = findFocused(child.get(), budget, unanswered))
            return found;
    }
    if (error.failed()) {
        unanswered = true;
        budget = 0;
    }
    return nullptr;
}

QString elementId(AtspiAccessible* accessible)
{
    const AtspiObject& object = accessible->parent;
    return QString::fromUtf8(object.app ? object.app->bus_name : "") + QLatin1Char(':')
           + QString::fromUtf8(object.path);
}

// Offsets between the toolkit's units (characters, or UTF-16 units for Qt) and UTF-16 units.
qsizetype toUtf16(const QString& text, qsizetype offset, bool countsUtf16)
{
    if (countsUtf16)
        return offset;
    qsizetype units = 0;
    for (qsizetype characters = 0; characters < offset && units < text.size(); ++characters)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return units;
}

qsizetype fromUtf16(const QString& text, qsizetype units, bool countsUtf16)
{
    if (countsUtf16)
        return units;
    return QStringView(text).left(units).toUcs4().size();
}

std::optional<QString> wholeText(AtspiText* text)
{
    ErrorSink error;
    const gint count = atspi_text_get_character_count(text, &error);
    if (error.failed())
        return std::nullopt;
    gchar* utf8 = atspi_text_get_text(text, 0, count, &error);
    if (error.failed() || !utf8)
        return std::nullopt;
    QString result = QString::fromUtf8(utf8);
    g_free(utf8);
    return result;
}
}

AtSpiFocusedText::AtSpiFocusedText() = default;

AtSpiFocusedText::~AtSpiFocusedText()
{
    thread_.post([this] { remember(nullptr); });
}

template <typename Result>
void AtSpiFocusedText::ask(std::function<Result()> work, std::function<void(Result)> answer)
{
    thread_.post([self = std::weak_ptr<AtSpiFocusedText*>(self_), work = std::move(work), answer = std::move(answer)] {
        runOnMainThread([self, answer, result = work()] {
            if (self.lock())
                answer(result);
        });
    });
}

template <typename Result>
void AtSpiFocusedText::askBounded(std::function<Result()> work, Result otherwise, std::function<void(Result)> answer)
{
    // Whichever comes first, the result or the bound, is answered; the other is dropped. Both
    // run on the main thread, so they need no lock.
    auto pending = std::make_shared<std::function<void(Result)>>(std::move(answer));
    const auto once = [pending](Result result) {
        if (*pending)
            std::exchange(*pending, nullptr)(std::move(result));
    };
    ask<Result>(std::move(work), once);
    QTimer::singleShot(waitBound, [self = std::weak_ptr<AtSpiFocusedText*>(self_), once, otherwise] {
        if (self.lock())
            once(otherwise);
    });
}

void AtSpiFocusedText::find(qint64 pid, std::function<void(FocusAnswer)> found)
{
    ask<FocusAnswer>([this, pid] { return search(pid); }, std::move(found));
}

void AtSpiFocusedText::focused(qint64 pid, std::function<void(std::optional<FocusedElement>)> found)
{
    askBounded<std::optional<FocusedElement>>([this, pid] { return search(pid).element; }, std::nullopt,
                                              std::move(found));
}

void AtSpiFocusedText::read(const FocusedElement& wanted, std::function<void(std::optional<FieldText>)> read)
{
    askBounded<std::optional<FieldText>>([this, wanted] { return readText(wanted); }, std::nullopt, std::move(read));
}

void AtSpiFocusedText::replace(const FocusedElement& wanted, Replace::Range range, const QString& replacement,
                               std::function<void(bool)> done)
{
    askBounded<bool>([this, wanted, range, replacement] { return replaceText(wanted, range, replacement); }, false,
                     std::move(done));
}

bool AtSpiFocusedText::connect()
{
    // Joined on first use, so a process that never dictates never talks to the accessibility bus.
    if (!tried_) {
        tried_ = true;
        // 0: initialised now; 1: already initialised by someone else in this process.
        const int status = atspi_init();
        available_ = status == 0 || status == 1;
        if (available_) {
            // The bus's messages are dispatched on this thread, not by the main thread's loop.
            atspi_set_main_context(thread_.context());
            atspi_set_timeout(callTimeoutMs, noStartupGrace);
        }
    }
    return available_;
}

void AtSpiFocusedText::remember(AtspiAccessible* accessible)
{
    if (last_)
        g_object_unref(last_);
    last_ = accessible;
}

AtspiAccessible* AtSpiFocusedText::element(const FocusedElement& wanted) const
{
    return last_ && elementId(last_) == wanted.id ? last_ : nullptr;
}

FocusAnswer AtSpiFocusedText::search(qint64 pid)
{
    FocusAnswer answer;
    if (!connect())
        return answer;
    Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
    if (!desktop)
        return answer;
    const qint64 ownPid = QCoreApplication::applicationPid();
    const int count = atspi_accessible_get_child_count(desktop.get(), nullptr);
    for (int i = 0; i < count; ++i) {
        Ref<AtspiAccessible> app(atspi_accessible_get_child_at_index(desktop.get(), i, nullptr));
        if (!app)
            continue;
        const qint64 appPid = atspi_accessible_get_process_id(app.get(), nullptr);
        // Asking our own process would wait on its main thread, which may be waiting for this answer.
        if (appPid == ownPid || (pid != 0 && appPid != pid))
            continue;
        atspi_accessible_clear_cache(app.get());
        int budget = searchBudget;
        AtspiAccessible* found = findFocused(app.get(), budget, answer.unanswered);
        if (!found)
            continue;
        gchar* toolkit = atspi_accessible_get_toolkit_name(app.get(), nullptr);
        lastCountsUtf16_ = toolkit && QByteArray(toolkit).startsWith("Qt");
        g_free(toolkit);
        remember(found);
        ErrorSink error;
        const AtspiRole role = atspi_accessible_get_role(found, &error);
        FocusedElement element;
        element.id = elementId(found);
        element.pid = appPid;
        element.password = role == ATSPI_ROLE_PASSWORD_TEXT;
        element.terminal = role == ATSPI_ROLE_TERMINAL;
        // A role it didn't give may be the password one.
        answer.unanswered = error.failed();
        if (!error.failed())
            answer.element = element;
        return answer;
    }
    return answer;
}

std::optional<FieldText> AtSpiFocusedText::readText(const FocusedElement& wanted)
{
    AtspiAccessible* accessible = element(wanted);
    if (!accessible)
        return std::nullopt;
    Ref<AtspiText> text(atspi_accessible_get_text_iface(accessible));
    if (!text)
        return std::nullopt;
    const std::optional<QString> value = wholeText(text.get());
    if (!value)
        return std::nullopt;
    ErrorSink error;
    const gint caret = atspi_text_get_caret_offset(text.get(), &error);
    if (error.failed() || caret < 0)
        return std::nullopt;
    FieldText result{*value, {toUtf16(*value, caret, lastCountsUtf16_), 0}};
    if (atspi_text_get_n_selections(text.get(), nullptr) > 0) {
        AtspiRange* range = atspi_text_get_selection(text.get(), 0, nullptr);
        if (range && range->end_offset > range->start_offset) {
            const qsizetype start = toUtf16(*value, range->start_offset, lastCountsUtf16_);
            result.selection = {start, toUtf16(*value, range->end_offset, lastCountsUtf16_) - start};
        }
        g_free(range);
    }
    return result;
}

bool AtSpiFocusedText::replaceText(const FocusedElement& wanted, Replace::Range range, const QString& replacement)
{
    AtspiAccessible* accessible = element(wanted);
    if (!accessible)
        return false;
    Ref<AtspiText> text(atspi_accessible_get_text_iface(accessible));
    Ref<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(accessible));
    if (!text || !editable)
        return false;
    const std::optional<QString> value = wholeText(text.get());
    if (!value || range.location + range.length > value->size())
        return false;
    const bool utf16 = lastCountsUtf16_;
    const auto start = static_cast<gint>(fromUtf16(*value, range.location, utf16));
    const auto end = static_cast<gint>(fromUtf16(*value, range.location + range.length, utf16));
    const QByteArray utf8 = replacement.toUtf8();
    ErrorSink error;
    if (!atspi_editable_text_delete_text(editable.get(), start, end, &error) || error.failed())
        return false;
    const auto length = static_cast<gint>(utf16 ? replacement.size() : utf8.size());
    if (!atspi_editable_text_insert_text(editable.get(), start, utf8.constData(), length, &error) || error.failed()) {
        Log::info(QStringLiteral("couldn't insert the improved text: ") + QString::fromUtf8(error.error->message));
        return false;
    }
    const auto caret = static_cast<gint>(start + fromUtf16(replacement, replacement.size(), utf16));
    atspi_text_set_caret_offset(text.get(), caret, nullptr);
    return true;
}
