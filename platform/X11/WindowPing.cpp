#include "X11/WindowPing.h"

#include "X11/ClipboardAtoms.h"

namespace {
// Far beyond anyone's wait for the answer: past it, the root's notices stop coming to us.
constexpr auto pingBound = std::chrono::seconds(10);
}

WindowPing::WindowPing(xcb_connection_t* connection, xcb_window_t root, ClipboardAtoms& atoms)
    : connection_(connection), root_(root), atoms_(atoms), sent_(xcb_get_setup(connection)->resource_id_base)
{
}

void WindowPing::start(xcb_window_t window, std::function<void()> answered)
{
    stop();
    // Answers go to the root window, to whoever listens for its children's notices (most toolkits)
    // or for its own (Qt's xcb).
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    asking_ = Asking{window, std::move(answered), 0, 0, Clock::now() + pingBound};
    send();
}

void WindowPing::send()
{
    xcb_client_message_event_t ping{};
    ping.response_type = XCB_CLIENT_MESSAGE;
    ping.format = 32;
    ping.window = asking_->window;
    ping.type = atoms_.wmProtocols;
    ping.data.data32[0] = atoms_.ping;
    // The time field comes back as it went: our own number tells this ping's answer apart.
    asking_->stamp = ++sent_;
    ping.data.data32[1] = asking_->stamp;
    ping.data.data32[2] = asking_->window;
    xcb_send_event(connection_, 0, asking_->window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ping));
}

bool WindowPing::handle(const xcb_generic_event_t& event)
{
    if ((event.response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto& answer = reinterpret_cast<const xcb_client_message_event_t&>(event);
    if (answer.type != atoms_.wmProtocols || answer.format != 32 || answer.data.data32[0] != atoms_.ping)
        return false;
    if (asking_ && answer.window == root_ && answer.data.data32[2] == asking_->window
        && answer.data.data32[1] == asking_->stamp) {
        if (++asking_->answers == 1) {
            send();
        } else {
            const std::function<void()> answered = std::move(asking_->answered);
            stop();
            answered();
        }
    }
    return true;
}

void WindowPing::expire(Clock::time_point now)
{
    if (asking_ && now >= asking_->deadline)
        stop();
}

std::optional<WindowPing::Clock::time_point> WindowPing::nextDeadline() const
{
    return asking_ ? std::optional(asking_->deadline) : std::nullopt;
}

void WindowPing::stop()
{
    if (!asking_)
        return;
    asking_.reset();
    const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &none);
}
