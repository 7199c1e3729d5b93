import QtQuick
import QtQuick.Layouts
import Quillmarsh.App
import Quillmarsh.Design

// A kind of application's title over its one line of example applications.
ColumnLayout {
    property string title
    property string examples

    spacing: 2
    QMText {
        text: parent.title
        Accessible.ignored: true
        font: Typography.latin(15, Font.DemiBold)
        color: QM.ink
    }
    QMText {
        Layout.fillWidth: true
        text: parent.examples
        font: Typography.latin(12.5, Font.Normal)
        color: QM.faint
        maximumLineCount: 1
        elide: Text.ElideRight
    }
}
