#pragma once

namespace app {

// Registers the shell's window classes under their names.
void registerWindows();

} // namespace app
