#pragma once
// The desktop's own settings panels for what the first-run window asks for. Where no settings
// tool is installed nothing opens, and nothing is reported either way.

#include <QStringList>

#include <functional>

class SettingsPanels {
public:
    enum class Panel { microphone, accessibility, keyboard };

    virtual ~SettingsPanels() = default;
    virtual void open(Panel panel) = 0;
    // Whether a settings tool installed here has the panel.
    virtual bool available(Panel panel) const = 0;

    // The desktop's panels, or what a test put in their place.
    static SettingsPanels& system();
    // For tests: panels in place of the desktop's until called again (nothing restores them).
    static void replaceSystem(SettingsPanels* standIn);

    // The program and its arguments that open the panel, given which programs are installed and
    // the desktop's name ($XDG_CURRENT_DESKTOP); empty when none can.
    static QStringList command(Panel panel, const std::function<bool(const QString& program)>& installed,
                               const QString& desktop);
};
