#pragma once
// Writes the brand images into a folder ("QUILLMARSH_EXPORT_ICONS"): the application icon at the
// sizes a desktop asks for and the tray mark at rest.

#include <QString>

namespace IconExport {
// Creates the folder when needed; logs each file it could not write.
void write(const QString& folder);
}
