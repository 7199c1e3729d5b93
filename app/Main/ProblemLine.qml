import QtQuick
import Quillmarsh.Design

// Why the store refused the last change, under the control that failed; no room while empty.
PageText {
    property string problem

    visible: problem.length > 0
    text: problem
    font: Typography.latin(13, Font.Normal)
    color: QM.saffron
    wrapMode: TextEdit.Wrap
}
