import QtQuick
import Quillmarsh.Design

// Shows the pointing hand over an enabled clickable element and the ordinary arrow over a
// disabled one. Put it inside the element.
HoverHandler {
    cursorShape: parent && parent.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
}
