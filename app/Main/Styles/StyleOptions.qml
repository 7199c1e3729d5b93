import QtQuick
import Quillmarsh.App
import Quillmarsh.Design

// The three writing styles as a compact segmented control, in their fixed order.
QMSegmented {
    compact: true
    options: [{ value: "as_spoken", title: "As spoken" },
              { value: "clean", title: "Clean" },
              { value: "formal", title: "Formal" }]
}
