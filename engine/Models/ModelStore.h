#pragma once
// Where the speech-model packages live on disk and whether one is installed. Nothing is kept in
// memory: every answer is worked out afresh from the environment, the current model family and
// the file system. Nothing here creates folders or writes files; the installers do that.
//
//   $XDG_DATA_HOME/Quillmarsh/Models/<store name>/              a package's files
//   $XDG_DATA_HOME/Quillmarsh/Models/<store name>/.installed.json  its install record
//   $XDG_DATA_HOME/Quillmarsh/Models/.staging/<store name>/     an installation under way
//   $XDG_DATA_HOME/Quillmarsh/Models/punctuation/               the punctuation model
//
// Every member may be called from any thread.

#include "ModelPackage.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace ModelStore {

QString root();
QString stagingRoot();
// The folder named by "QUILLMARSH_MODEL_DIR" (tilde expanded), when set and not empty. Whether
// it exists is not tested.
std::optional<QString> overrideDir();
// The files every speech-model package holds, in order.
const QStringList& requiredFiles();

// The override when there is one (for every package and family), else root/<store name>.
QString directory(ModelPackage package);
// stagingRoot/<store name>; the override never applies.
QString staging(ModelPackage package);

// True with an override; otherwise true when the install record reads and every file it lists
// is present with the recorded size. Never fails: any problem reads as "not installed".
bool isInstalled(ModelPackage package);

// Deletes the package folder, then its staging folder. Absent folders are no error; a failed
// deletion throws Error with the file system's reason, and nothing after it is attempted.
void remove(ModelPackage package);

// The lower-case hexadecimal SHA-256 of a file's contents, read in chunks of 8 MiB so memory
// stays flat however large the file. Throws Error when the file can't be opened or read.
QString sha256(const QString& filePath);

}
