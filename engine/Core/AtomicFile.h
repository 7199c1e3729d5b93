#pragma once
// Writing a whole file so that readers, and a crash at any moment, see the old content or the
// new, never a mix: the bytes go to a temporary file beside it, which then replaces it. The file
// is the user's alone (0600) from its first byte, and a missing folder is made private (0700).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Returns a lower-case description of the failure, or nothing when the file was written; the
// failure's errno goes to `error` when given.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes, int* error = nullptr);

// The temporary files in the folder that writes cut short (killed, a power cut) left behind:
// names of the form "<final name>.XXXXXX" whose final name `ours` accepts.
QStringList leftoverTemporaries(const QString& folder, const std::function<bool(const QString&)>& ours);
