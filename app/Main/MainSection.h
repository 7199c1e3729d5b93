#pragma once
// The main window's pages, in sidebar order. The raw value is the section's identity in QML.

#include <QString>

#include <array>
#include <optional>

enum class MainSection { home, history, styles, snippets, vocabulary, account, settings };

namespace MainSections {
inline constexpr std::array allCases{MainSection::home,     MainSection::history,    MainSection::styles,
                                     MainSection::snippets, MainSection::vocabulary, MainSection::account,
                                     MainSection::settings};
QString rawValue(MainSection section);
std::optional<MainSection> fromRawValue(const QString& raw);
}
