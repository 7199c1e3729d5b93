import QtQuick

// Plain text that screen readers read. Qt Quick publishes a text only when it carries an accessible
// role and name, so the application's texts are built on this one (selectable ones on `PageText`).
Text {
    textFormat: Text.PlainText
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
