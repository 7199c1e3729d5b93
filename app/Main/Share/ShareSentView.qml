import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmarsh.Design
import Quillmarsh.App

// What the share window shows once the clip is sent: thanks, and the code that withdraws it.
ColumnLayout {
    id: root
    property ShareClipSession session
    signal done()

    spacing: 18

    SymbolImage {
        name: "checkmark.circle.fill"
        implicitWidth: 34
        implicitHeight: 34
        color: QM.saffron
    }
    QMText {
        text: "Thank you"
        font: Typography.latin(26, Font.DemiBold)
        color: QM.ink
    }
    Paragraph {
        Layout.fillWidth: true
        text: "Your clip is with us. If you ever want it deleted, this is its code. It\u2019s also on this dictation in History."
        font: Typography.latin(14, Font.Normal)
        color: QM.sub
        extraSpacing: 3
    }
    Item {
        Layout.fillWidth: true
        implicitHeight: codeRow.implicitHeight + 36
        QMShape {
            anchors.fill: parent
            fillColor: QM.warm
            strokeColor: QM.warmLine
            radius: 14
        }
        RowLayout {
            id: codeRow
            x: 18
            y: 18
            width: parent.width - 36
            QMText {
                objectName: "sentCode"
                text: root.session.code
                font: {
                    const f = Typography.figures(22, Font.DemiBold)
                    f.letterSpacing = 1.5
                    return f
                }
                color: QM.ink
            }
            Item { Layout.fillWidth: true }
            QMSmallButton {
                objectName: "copyCode"
                implicitWidth: copyLabel.implicitWidth + 28
                Accessible.name: root.session.copied ? "Copied to the clipboard" : "Copy the code"
                contentItem: Item {
                    Row {
                        id: copyLabel
                        anchors.centerIn: parent
                        spacing: 6
                        SymbolImage {
                            anchors.verticalCenter: parent.verticalCenter
                            name: root.session.copied ? "checkmark" : "doc.on.doc"
                            implicitWidth: 13
                            implicitHeight: 13
                            color: QM.ink
                        }
                        QMText {
                            text: root.session.copied ? "Copied" : "Copy"
                            Accessible.ignored: true
                            font: Typography.latin(13, Font.DemiBold)
                            color: QM.ink
                        }
                    }
                }
                onClicked: root.session.copyCode()
            }
        }
    }
    RowLayout {
        Item { Layout.fillWidth: true }
        QMButton {
            objectName: "done"
            primary: true
            text: "Done"
            onClicked: root.done()
        }
    }
}
