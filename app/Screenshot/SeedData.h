#pragma once
// The sample records the screenshots show: a week of history in Persian and English (one entry
// with a kept recording that is shared), usage counts, snippets and vocabulary.

#include "Account/AuthSession.h"

#include <QDateTime>

class Settings;

namespace SeedData {

// Writes the records into the data folder the stores find by default, and the user settings
// that go with them (recordings kept).
void write(Settings& settings, const QDateTime& now);

// A signed-in account (signed in with Google) for the account page; its tokens are samples.
AuthSession accountSession(const QDateTime& now);

}
