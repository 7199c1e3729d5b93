.pragma library

// Types `text` into a NaturalTextField as a user would, so the page hears it as an edit.
function typeInto(test, field, text) {
    field.forceActiveFocus()
    field.editor.text = text + "x"
    field.editor.cursorPosition = field.editor.length
    test.keyClick(Qt.Key_Backspace)
}

// Replaces the whole text of a TextArea without breaking its binding.
function replaceText(area, text) {
    area.remove(0, area.length)
    area.insert(0, text)
}

function visibleChildNamed(test, root, name) {
    const item = test.findChild(root, name)
    test.verify(item, "no item named " + name)
    return item
}

// The delegate of row `index`, once the page's layout has given the list its size.
function row(test, list, index) {
    test.tryVerify(() => {
        list.forceLayout()
        return list.itemAtIndex(index) !== null
    }, 5000, "no row " + index)
    return list.itemAtIndex(index)
}
