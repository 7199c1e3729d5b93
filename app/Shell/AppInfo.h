#pragma once
// The application's version, as the build stamps it.

#include <QString>

namespace AppInfo {
// "0.1".
QString shortVersion();
// The build number, "0" when the build gives none.
QString build();
// "0.1 (12)": what a shared recording says made it.
QString version();
// "Quillmarsh 0.1 (12)".
QString versionText();
}
