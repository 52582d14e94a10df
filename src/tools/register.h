#pragma once

namespace tools {

// Registers this folder's window classes under their names.
void registerWindows();

} // namespace tools
