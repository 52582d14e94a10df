#pragma once

namespace score {

// Registers this folder's window classes under their names.
void registerWindows();

} // namespace score
