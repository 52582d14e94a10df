#pragma once

// Registers every window class of the program under its name.
void registerWindowClasses();
