#pragma once

namespace printer {

// Registers this folder's window classes under their names.
void registerWindows();

} // namespace printer
