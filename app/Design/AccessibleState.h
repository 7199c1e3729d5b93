#pragma once

// What an assistive technology hears of a Qt Quick item's state, completed with what the toolkit
// leaves out: an item that is not enabled, by itself or through what holds it (a greyed button, a
// field of a form that can't be used yet), is heard as unavailable and not focusable, and a
// change of it is announced. Every item of the windows has it, the design system's controls as
// anything else drawn in Qt Quick.
namespace AccessibleState {

// Makes the items' accessible interfaces from now on. Run once at launch, before the first window
// is built, after the Qt Quick library has loaded (as any program of ours that links it has).
void install();

}
