import QtQuick
import QtQuick.Layouts
import Quillmarsh.Design

// Every design-system component on one paper page, for a look at the whole system at once.
Window {
    id: page
    width: 1240
    height: 980
    visible: true
    title: "Quillmarsh design system"
    color: QM.paper

    property string engineMode: "auto"
    property bool history: true

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 48
        anchors.rightMargin: 48
        anchors.topMargin: 38
        spacing: 40

        ColumnLayout {
            Layout.preferredWidth: 560
            Layout.alignment: Qt.AlignTop
            spacing: 18

            PageHeader {
                Layout.fillWidth: true
                title: "Settings"
                subtitle: "How Quillmarsh listens and writes."
                QMSmallButton { text: "Clear history" }
            }
            QMCard {
                Layout.fillWidth: true
                Layout.preferredHeight: 260
                fill: true
                padding: 20
                ColumnLayout {
                    width: parent.width
                    spacing: 0
                    SettingRow {
                        Layout.fillWidth: true
                        title: "Keep history"
                        note: "Dictations are kept on this computer only."
                        divider: true
                        QMToggleStyle {
                            label: "Keep history"
                            checked: page.history
                            onToggled: page.history = checked
                        }
                    }
                    SettingRow {
                        Layout.fillWidth: true
                        title: "Speech engine"
                        divider: true
                        QMSegmented {
                            compact: true
                            options: [{ value: "auto", title: "Automatic" },
                                      { value: "local", title: "This computer" },
                                      { value: "server", title: "Server" }]
                            disabled: ["server"]
                            selection: page.engineMode
                            onPicked: value => page.engineMode = value
                        }
                    }
                    SettingRow {
                        Layout.fillWidth: true
                        title: "Punctuation"
                        note: "Adds Persian punctuation marks after you finish speaking; a long note wraps onto as many lines as it needs."
                        QMToggleStyle { label: "Punctuation" }
                    }
                }
            }
            QMSegmented {
                Layout.fillWidth: true
                options: [{ value: "as_spoken", title: "As spoken" },
                          { value: "clean", title: "Clean" },
                          { value: "formal", title: "Formal" }]
                selection: "clean"
            }
            RowLayout {
                spacing: 10
                StyleTag { style: "as_spoken" }
                StyleTag { style: "clean" }
                StyleTag { style: "formal" }
                SymbolChip { name: "mic"; size: 32 }
                SymbolChip { name: "sparkles"; size: 40 }
                SymbolChip { name: "keyboard"; size: 40 }
            }
            QMCard {
                Layout.fillWidth: true
                padding: 16
                ColumnLayout {
                    width: 560 - 32
                    spacing: 8
                    MixedText {
                        Layout.fillWidth: true
                        text: "Meeting notes for Thursday"
                        size: 14
                        weight: Font.DemiBold
                    }
                    MixedText {
                        Layout.fillWidth: true
                        text: "سلام، امروز جلسه ساعت سه برگزار می‌شود"
                        size: 14
                        weight: Font.DemiBold
                    }
                    MixedText {
                        Layout.fillWidth: true
                        text: "لطفاً فایل report را برای team بفرستید"
                        size: 14
                        color: QM.sub
                    }
                }
            }
            InkPanel {
                Layout.fillWidth: true
                Layout.preferredHeight: 120
                radius: 16
                ColumnLayout {
                    x: 22
                    y: 20
                    spacing: 6
                    Text {
                        text: "1,284 words this week"
                        font: Typography.latin(22, Font.DemiBold)
                        color: QM.paper
                    }
                    Text {
                        text: "About 42 minutes of typing saved."
                        font: Typography.latin(13, Font.Normal)
                        color: QM.onInk
                    }
                }
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignTop
            spacing: 18

            RowLayout {
                spacing: 10
                QMButton { text: "Continue"; primary: true }
                QMButton { text: "Continue"; primary: true; enabled: false }
                QMButton { text: "Not now" }
            }
            RowLayout {
                spacing: 10
                QMChoice { text: "right Ctrl"; selected: true }
                QMChoice { text: "right Alt" }
                QMChoice { text: "right Super" }
            }
            RowLayout {
                spacing: 18
                OrbMark { size: 48; mode: OrbState.Idle }
                OrbMark { size: 48; mode: OrbState.Listening }
                OrbMark { size: 48; mode: OrbState.Thinking }
                OrbMark { size: 48; mode: OrbState.Inserted }
                OrbMark { size: 48; mode: OrbState.Error }
                OrbMark { size: 48; cycle: true }
            }
            QMCard {
                Layout.fillWidth: true
                padding: 14
                ColumnLayout {
                    width: 520
                    spacing: 12
                    NaturalTextField {
                        Layout.fillWidth: true
                        placeholder: "Search history"
                        accessibilityLabel: "Search"
                        size: 14
                    }
                    Rectangle { Layout.fillWidth: true; height: 1; color: QM.rule }
                    NaturalTextField {
                        Layout.fillWidth: true
                        text: "کوییل‌مارش"
                        accessibilityLabel: "Word"
                        size: 14
                    }
                    Rectangle { Layout.fillWidth: true; height: 1; color: QM.rule }
                    NaturalTextField {
                        Layout.fillWidth: true
                        text: "Quillmarsh"
                        accessibilityLabel: "Written as"
                        size: 14
                    }
                }
            }
            QMCard {
                Layout.fillWidth: true
                padding: 0
                RTLTextField {
                    width: 548
                    height: 120
                    text: "اینجا بنویسید تا ببینید متن از راست به چپ می‌آید.\nOK، خط دوم با یک کلمه انگلیسی شروع می‌شود."
                    fontSize: 16
                }
            }
            QMCard {
                padding: 20
                Text {
                    text: "A card that hugs its content"
                    font: Typography.latin(14, Font.Normal)
                    color: QM.sub
                }
            }
        }
    }
}
