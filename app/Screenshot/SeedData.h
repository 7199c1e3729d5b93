#pragma once
// The sample records the screenshots and the layout tests show: a week of history in Persian and
// English (one entry with a kept recording that is shared), usage counts, snippets and vocabulary.
// The long set adds, in front, texts as long as the stores allow or the desktop may give.

#include "Account/AuthSession.h"

#include <QDateTime>

#include <optional>

class AppModel;
class Settings;

namespace SeedData {

enum class Sample { usual, longTexts };

// "usual" or "long"; nothing for any other name.
std::optional<Sample> sampleNamed(const QString& name);

// Writes the records into the data folder the stores find by default, and the user settings
// that go with them (recordings kept).
void write(Settings& settings, const QDateTime& now, Sample sample);

// The state of a running application whose models are ready; with long texts, its speech status
// and sign-in error are the longest lines it shows.
void setRunningState(AppModel& model, Sample sample);

// A signed-in account (signed in with Google) for the account page; its tokens are samples. With
// long texts, a long Persian name and address.
AuthSession accountSession(const QDateTime& now, Sample sample);

}
