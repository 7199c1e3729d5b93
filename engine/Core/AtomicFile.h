#pragma once
// Writing a whole file so that readers, and a crash at any moment, see the old content or the
// new, never a mix: the bytes go to a temporary file beside it, which then replaces it.

#include <QByteArray>
#include <QString>

#include <optional>

enum class FileAccess {
    standard,  // the usual permissions (umask applies)
    privateToUser,  // 0600 from the first byte
};

// Returns a lower-case description of the failure, or nothing when the file was written.
// The file's folder is created when missing.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes,
                                           FileAccess access = FileAccess::standard);
