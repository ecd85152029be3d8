#pragma once

// The system's loader as the viewer uses it: dlopen on Linux (ModuleLoader_posix.cpp),
// LoadLibraryA on Windows (ModuleLoader_win.cpp). Internal to hostapp.

#include <string>

namespace plenvo::hostapp {

// Opens a module; null, with the system's reason in `error`, when it cannot.
void* OpenModule(const std::string& path, std::string& error);
// The address of an exported name, or null.
void* FindExport(void* module, const char* name);
// Where the module that holds `address` lies in memory; null for an address in none.
const void* ModuleBaseOf(const void* address);
void CloseModule(void* module);
// The folder of the running program.
std::string ProgramFolder();

}  // namespace plenvo::hostapp
