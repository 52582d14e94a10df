#pragma once
// Creates the toolbar utility variant of the running runtime into an empty variable.
#include "runtime/system.h"

class uo_toolbarutil;

// False when the variable already holds an object (left unchanged) or when no variant fits the
// version (the variable stays empty); true when it created one.
bool f_create_toolbarutil(uo_toolbarutil *&auo_toolbarutil, int runtimeMajorVersion = rt::kRuntimeMajorVersion);
