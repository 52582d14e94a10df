#pragma once
// Application globals of the shell that cross windows.

// True while the frame shows the launch pad, false while it shows the frame picture.
bool &button_flag();
