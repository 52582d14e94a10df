#pragma once
// The program's widget style: Qt's own, with group box frames and toolbar extension icons made without
// loading every image-format plugin, main window layouts made without animations, and menu separators
// tall enough that each shows its line.
namespace rt {

// Installs the style; call once the application object exists, before the first window is shown.
// Under a style other than Fusion (a desktop's own) nothing changes.
void installStyle();

} // namespace rt
