#pragma once
// The program's run from its entry: the application object's events around the event loop. The
// command line changes nothing: Qt is given only the program's name, so its own options (-reverse,
// -style, -stylesheet, -platform, …) take no effect; the platform stays selectable through Qt's
// environment variable QT_QPA_PLATFORM. Returns the program's exit status.
int runProgram(int argc, char *argv[]);
