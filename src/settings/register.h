#pragma once

namespace settings {

// Registers this folder's window classes under their names.
void registerWindows();

} // namespace settings
