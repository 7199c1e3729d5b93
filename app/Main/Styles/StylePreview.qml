import QtQuick
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// One Persian sentence as it comes out in each writing style, the style in use for the selected
// kind of application marked with a badge naming that kind.
Item {
    id: root
    // The style in use ("as_spoken", "clean", "formal") and the title of the kind it is used in.
    property string current
    property string categoryTitle

    readonly property var samples: [
        { style: "as_spoken", title: "As spoken", color: "#3A3D45",
          text: "سلام آقای بارانزی من ایمیلتون رو دیدم میتونیم فردا ساعت ده یه میتینگ بذاریم" },
        { style: "clean", title: "Clean", color: QM.ink,
          text: "سلام آقای بارانزی، من ایمیلتون رو دیدم. می\u200cتونیم فردا ساعت ۱۰ یه میتینگ بذاریم؟" },
        { style: "formal", title: "Formal", color: QM.ink,
          text: "سلام جناب آقای بارانزی، ایمیل شما را دریافت کردم. آیا می\u200cتوانیم فردا ساعت ۱۰ جلسه\u200cای تنظیم کنیم؟" }
    ]

    implicitHeight: column.implicitHeight + 40

    QMShape {
        anchors.fill: parent
        fillColor: QM.soft
        strokeColor: QM.line
        radius: 18
    }
    ColumnLayout {
        id: column
        x: 20
        y: 20
        width: parent.width - 40
        spacing: 12

        PageText {
            text: "Same sentence, three ways"
            font: Typography.latin(15, Font.DemiBold)
            color: QM.ink
        }
        Repeater {
            model: root.samples
            delegate: Item {
                id: sample
                required property var modelData
                readonly property bool marked: modelData.style === root.current

                objectName: "sample_" + modelData.style
                Layout.fillWidth: true
                implicitHeight: sampleColumn.implicitHeight + 24

                QMShape {
                    anchors.fill: parent
                    fillColor: "white"
                    strokeColor: sample.marked ? QM.ink : QM.line
                    strokeWidth: sample.marked ? 1.5 : 1
                    radius: 12
                }
                ColumnLayout {
                    id: sampleColumn
                    x: 14
                    y: 12
                    width: parent.width - 28
                    spacing: 6
                    RowLayout {
                        Layout.fillWidth: true
                        CapsLabel {
                            text: sample.modelData.title.toUpperCase()
                            color: sample.marked ? QM.ink : QM.faint
                        }
                        Item { Layout.fillWidth: true }
                        Item {
                            objectName: "badge"
                            visible: sample.marked
                            implicitWidth: badge.implicitWidth + 16
                            implicitHeight: badge.implicitHeight + 4
                            QMShape {
                                anchors.fill: parent
                                fillColor: QM.warm
                                strokeColor: QM.warmLine
                                radius: 6
                            }
                            PageText {
                                id: badge
                                anchors.centerIn: parent
                                text: "Used in " + root.categoryTitle
                                font: Typography.latin(11.5, Font.DemiBold)
                                color: QM.amber
                            }
                        }
                    }
                    MixedText {
                        Layout.fillWidth: true
                        text: sample.modelData.text
                        size: 14.5
                        color: sample.modelData.color
                        lineSpacing: 6
                    }
                }
            }
        }
        PageText {
            id: note
            Layout.fillWidth: true
            text: "An example sentence. English names and technical terms stay in Latin letters; everyday words like «میتینگ» stay Persian. Formal may change «تو» to «شما»."
            font: Typography.latin(12.5, Font.Normal)
            color: QM.sub
            wrapMode: TextEdit.Wrap
            lineSpacing: 3
        }
    }
}
