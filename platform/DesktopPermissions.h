#pragma once
// What the desktop lets dictation do, as facts of this desktop rather than grants: there is no
// capture prompt, so the microphone is allowed when an input device exists; typing into other
// applications needs the X server's XTest extension; improving text in place and noticing
// password fields need the desktop's assistive-technology switch, which only exists where an
// accessibility bus runs.

#include "Sound/Microphone.h"

#include <memory>

class DesktopPermissions {
public:
    // `unknown` until the desktop first answers.
    enum class Switch { unknown, on, off, absent };

    virtual ~DesktopPermissions() = default;

    virtual Microphone::Permission microphone() const = 0;
    virtual bool canType() const = 0;
    // The switch as the desktop last answered, without waiting for it: each call asks again
    // (unless a question is still out) and the answer arrives later on the main thread, so
    // callers that poll keep it current.
    virtual Switch accessibility() const = 0;
    // Turns the assistive-technology switch on without waiting; a switch known to be off reads as
    // on at once. Nothing happens where there is none.
    virtual void promptAccessibility() = 0;

    // The desktop's answers, or what a test put in their place.
    static DesktopPermissions& system();
    // A reader of the desktop's answers of its own, which has asked nothing yet; system() is the
    // one the application shares.
    static std::unique_ptr<DesktopPermissions> fromDesktop();
    // For tests: answers in place of the desktop's until called again (nothing restores them).
    static void replaceSystem(DesktopPermissions* standIn);
};
