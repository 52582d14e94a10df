#pragma once
// Check boxes and radio buttons, as assistive technology reaches them. Qt answers a screen reader's
// "Toggle" by changing the state without a click, so a window that acts on clicked would miss the
// change; here the action clicks the button, and the window's click path runs as for the mouse and
// the keyboard. A change made by the program's own code still raises no click.
namespace rt {

// Installs the accessible interface of check boxes and radio buttons; call once the application object
// exists, before the first window is shown.
void installAccessibleButtons();

} // namespace rt
