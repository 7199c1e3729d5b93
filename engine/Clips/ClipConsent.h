#pragma once
// The wording a user agrees to before sharing a recording, and its version, which travels with
// every upload so the server knows what was agreed to.

#include <QString>

namespace ClipConsent {
QString version();
QString summary();
QString details();
}
