import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// One dictation beside the History list: where and when it went, its words (as inserted, with
// what the style changed, or as spoken), Copy and Delete, and its recording. 372 wide; taller
// content scrolls inside the card.
Item {
    id: root
    property alias entryId: detail.entryId
    property AppModel model
    readonly property alias detail: detail
    signal deleted(bool byKeyboard)

    DictationDetail {
        id: detail
        appModel: root.model
    }

    implicitWidth: 372
    implicitHeight: column.implicitHeight + 44

    QMShape {
        anchors.fill: parent
        anchors.margins: -margin
        fillColor: "white"
        strokeColor: QM.line
        radius: 18
        shadowColor: Qt.rgba(0, 0, 0, 0.06)
        shadowBlur: 14
        shadowOffsetY: 8
    }

    Flickable {
        anchors.fill: parent
        clip: true
        contentHeight: column.implicitHeight + 44
        interactive: contentHeight > height
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: QMScrollBar { objectName: "detailScrollBar" }

        ColumnLayout {
            id: column
            x: 22
            y: 22
            width: root.width - 44
            spacing: 16

            RowLayout {
                Layout.fillWidth: true
                spacing: 10
                SymbolChip {
                    name: detail.symbol
                    size: 30
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 1
                    QMText {
                        Layout.fillWidth: true
                        elide: Text.ElideRight
                        text: detail.appName
                        font: Typography.latin(14.5, Font.DemiBold)
                        color: QM.ink
                    }
                    PageText {
                        objectName: "details"
                        text: detail.details
                        rightToLeft: false
                        font: Typography.latin(12.5, Font.Normal)
                        color: QM.faint
                    }
                }
            }

            QMSegmented {
                visible: detail.changed
                Layout.fillWidth: true
                group: "Text"
                options: [{ value: false, title: "Inserted" }, { value: true, title: "As spoken" }]
                selection: detail.showSpoken
                onPicked: value => detail.showSpoken = value
            }

            Item {
                Layout.fillWidth: true
                implicitHeight: Math.max(110, words.visible ? words.implicitHeight : plain.implicitHeight)
                ChangedWordsView {
                    id: words
                    width: parent.width
                    visible: detail.changed && !detail.showSpoken
                    segments: detail.segments
                    text: detail.text
                }
                PageText {
                    id: plain
                    objectName: "plainText"
                    readonly property string shown: detail.showSpoken ? detail.raw : detail.text
                    width: parent.width
                    visible: !words.visible
                    text: shown
                    font: persian ? Typography.persian(18) : Typography.latin(16, Font.Normal)
                    lineSpacing: persian ? 12 : 6
                    wrapMode: TextEdit.Wrap
                    color: QM.ink
                }
            }

            RowLayout {
                visible: detail.changed && !detail.showSpoken
                spacing: 8
                Rectangle {
                    implicitWidth: 12
                    implicitHeight: 8
                    radius: 2
                    color: Qt.rgba(QM.saffronBright.r, QM.saffronBright.g, QM.saffronBright.b, 0.28)
                }
                PageText {
                    objectName: "note"
                    Layout.fillWidth: true
                    text: detail.note
                    wrapMode: TextEdit.Wrap
                    font: Typography.latin(12.5, Font.Normal)
                    color: QM.sub
                }
            }

            RowLayout {
                spacing: 8
                QMButton {
                    objectName: "copy"
                    Layout.fillWidth: true
                    primary: true
                    text: detail.copied ? "Copied" : "Copy"
                    onClicked: detail.copy()
                }
                QMPressable {
                    id: deleteButton
                    objectName: "delete"
                    focusRadius: 10
                    implicitWidth: 38
                    implicitHeight: 38
                    Accessible.name: "Delete this dictation"
                    dangerous: true
                    ToolTip.visible: hovered
                    ToolTip.text: "Delete this dictation"
                    background: QMShape {
                        strokeColor: QM.line
                        radius: 10
                    }
                    contentItem: Item {
                        SymbolImage {
                            anchors.centerIn: parent
                            name: "trash"
                            implicitWidth: 14
                            implicitHeight: 14
                            color: QM.sub
                        }
                    }
                    onClicked: {
                        detail.remove()
                        root.deleted(deleteButton.pressedByKeyboard)
                    }
                }
            }

            RecordingPanel {
                Layout.fillWidth: true
                detail: detail
                model: root.model
            }

            Item {
                visible: root.model && root.model.keepClips
                Layout.fillWidth: true
                implicitHeight: retention.implicitHeight + 12
                Rectangle {
                    width: parent.width
                    height: 1
                    color: QM.rule
                }
                PageText {
                    id: retention
                    objectName: "retention"
                    y: 12
                    width: parent.width
                    text: `Recordings are kept on this computer for ${detail.keepDays} days, then deleted. Only the text stays in History.`
                    font: Typography.latin(12, Font.Normal)
                    color: QM.faint
                    wrapMode: TextEdit.Wrap
                    lineSpacing: 2
                }
            }
        }
    }
}
