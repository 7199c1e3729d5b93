#pragma once

#include <QString>

// The application's two font families, "Commissioner" and "Vazirmatn", ship as TTF files in the
// "Fonts" folder next to the program and are registered for this process only.
class Fonts {
public:
    // Registers every file of the "Fonts" folder next to the program whose extension is "ttf" in
    // any letter case. Run once at launch.
    static void registerFonts();
    // The same for any folder. A missing folder or a file that fails to register is passed over.
    static void registerFolder(const QString& folder);
};
