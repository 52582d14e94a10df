#pragma once

namespace kit {

// Registers this folder's window classes under their names.
void registerWindows();

} // namespace kit
