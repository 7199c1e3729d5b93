#include "AtSpi/AtSpiFocusWalk.h"

#include "Core/Log.h"

#include <algorithm>
#include <deque>
#include <vector>

using namespace AtSpi;

namespace {
// Questions in flight at once: enough to hide the application's latency, few enough not to flood it.
constexpr size_t callsAtOnce = 128;

// Roles of elements that show text at a caret, editable or not (a terminal's is read-only).
bool isTextRole(uint role)
{
    return role == rolePasswordText || role == roleTerminal || role == roleText || role == roleParagraph
           || role == roleEntry;
}

// An accessible whose state says focused.
struct Focused {
    Node node;
    bool editable = false;
    uint role = 0;
};

class Walker {
public:
    Walker(const Node& app, int budget) : app_(app), budget_(budget), left_(budget) {}

    AtSpiFocusWalk walk(const AtSpiCalls& calls);

private:
    // The questions of the next round: roles, then children, then states, and with the first one
    // the toolkit's name, last.
    QList<QDBusMessage> round(size_t opened, size_t looked) const;
    // The first focused text element among those whose roles came; notes the others.
    std::optional<Focused> takeRoles(const QList<AtSpiCalls::Reply>& replies);
    // False when the children are more than the budget.
    bool takeChildren(const QList<AtSpiCalls::Reply>& replies, qsizetype from, size_t opened);
    void takeStates(const QList<AtSpiCalls::Reply>& replies, qsizetype from, size_t looked);
    // Where the walk ends without a text element; `cut` says why when it stopped short.
    AtSpiFocusWalk unfound(bool stopped, const QString& cut = {}) const;

    const Node app_;
    const int budget_;
    int left_;
    std::deque<Node> unasked_{app_};  // state not asked yet
    std::deque<Node> showing_;  // children not asked yet
    std::vector<Focused> unnamed_;  // role not asked yet
    std::optional<Focused> standIn_;  // the first focused accessible neither text nor a tab
    bool tabSeen_ = false;
    bool roleless_ = false;  // a focused accessible didn't say its role: it may be the password field
    bool first_ = true;
    QString toolkit_;
};

AtSpiFocusWalk Walker::walk(const AtSpiCalls& calls)
{
    while (!unasked_.empty() || !showing_.empty() || !unnamed_.empty()) {
        // Half the round for each kind of question, and what one kind leaves to the other.
        const size_t opened =
            std::min(showing_.size(), std::max(callsAtOnce / 2, callsAtOnce - std::min(unasked_.size(), callsAtOnce)));
        const size_t looked = std::min(unasked_.size(), callsAtOnce - opened);
        const QList<AtSpiCalls::Reply> replies = calls.send(round(opened, looked));
        if (std::any_of(replies.cbegin(), replies.cend(),
                        [](const AtSpiCalls::Reply& reply) { return reply.unanswered; }))
            return unfound(true);
        if (std::exchange(first_, false))
            toolkit_ = propertyValue(replies.constLast().values.value_or(QList<QVariant>())).toString();

        const auto named = qsizetype(unnamed_.size());
        if (const std::optional<Focused> text = takeRoles(replies))
            return {text->node, text->role, true, toolkit_, false};
        if (!takeChildren(replies, named, opened))
            return unfound(true, QStringLiteral("the application shows more than %1 accessibles").arg(budget_));
        takeStates(replies, named + qsizetype(opened), looked);
    }
    return unfound(false);
}

QList<QDBusMessage> Walker::round(size_t opened, size_t looked) const
{
    QList<QDBusMessage> questions;
    for (const Focused& focused : unnamed_)
        questions << message(focused.node, accessibleInterface, QStringLiteral("GetRole"));
    for (size_t i = 0; i < opened; ++i)
        questions << message(showing_.at(i), accessibleInterface, QStringLiteral("GetChildren"));
    for (size_t i = 0; i < looked; ++i)
        questions << message(unasked_.at(i), accessibleInterface, QStringLiteral("GetState"));
    if (first_)
        questions << message(app_, propertiesInterface, QStringLiteral("Get"),
                             {applicationInterface, QStringLiteral("ToolkitName")});
    return questions;
}

std::optional<Focused> Walker::takeRoles(const QList<AtSpiCalls::Reply>& replies)
{
    // In the order found: the first focused text element is the one.
    std::vector<Focused> named = std::exchange(unnamed_, {});
    for (size_t i = 0; i < named.size(); ++i) {
        Focused& focused = named.at(i);
        const auto& role = replies.at(qsizetype(i)).values;
        if (!role || role->isEmpty()) {
            roleless_ = true;
            continue;
        }
        focused.role = role->constFirst().toUInt();
        if (focused.editable || isTextRole(focused.role))
            return focused;
        if (focused.role == rolePageTab)
            tabSeen_ = true;
        else if (!standIn_)
            standIn_ = focused;
    }
    return std::nullopt;
}

bool Walker::takeChildren(const QList<AtSpiCalls::Reply>& replies, qsizetype from, size_t opened)
{
    for (size_t i = 0; i < opened; ++i) {
        for (const Node& child : nodesIn(replies.at(from + qsizetype(i)).values.value_or(QList<QVariant>()))) {
            if (--left_ < 1)
                return false;
            unasked_.push_back(child);
        }
    }
    showing_.erase(showing_.begin(), showing_.begin() + qsizetype(opened));
    return true;
}

void Walker::takeStates(const QList<AtSpiCalls::Reply>& replies, qsizetype from, size_t looked)
{
    for (size_t i = 0; i < looked; ++i) {
        const Node& node = unasked_.at(i);
        const QList<QVariant> state = replies.at(from + qsizetype(i)).values.value_or(QList<QVariant>());
        if (hasState(state, stateFocused))
            unnamed_.push_back({node, hasState(state, stateEditable)});
        // An application's own accessible says nothing of showing; below it, what isn't shown is skipped.
        const bool root = node.service == app_.service && node.path == app_.path;
        if (!state.isEmpty() && (root || hasState(state, stateShowing)))
            showing_.push_back(node);
    }
    unasked_.erase(unasked_.begin(), unasked_.begin() + qsizetype(looked));
}

AtSpiFocusWalk Walker::unfound(bool stopped, const QString& cut) const
{
    if (standIn_ && !roleless_)
        return {standIn_->node, standIn_->role, false, toolkit_, false};
    const QString why = roleless_              ? QStringLiteral("a focused accessible didn't say its role")
                        : !cut.isEmpty()       ? cut
                        : tabSeen_ && !stopped ? QStringLiteral("a tab has the focus, and no text element was found")
                                               : QString();
    if (!why.isEmpty())
        Log::info(QStringLiteral("the focused element isn't known: ") + why);
    return {std::nullopt, 0, false, toolkit_, stopped || roleless_ || tabSeen_};
}
}

AtSpiFocusWalk AtSpiFocusWalk::through(const Node& app, const AtSpiCalls& calls, int budget)
{
    return Walker(app, budget).walk(calls);
}
