#pragma once

// What plenvo does in the stand-in viewer once the plug-in is loaded: it picks the
// plug-in's menu commands and works its dialogs through the user driver, as a person
// would, so every run goes through the module's own code.

#include "Arguments.h"

namespace plenvo::cli {

inline constexpr int kSucceeded = 0;
inline constexpr int kFileFailed = 1;
inline constexpr int kNotDone = 2;  // bad usage, an empty list, a No, an unexpected message

// apply, check and remove, through the batch dialog.
int RunBatch(const Request& request);
// show, set and unset, through the single-document dialog on the file opened in a view.
int RunDocument(const Request& request);
// help: the address the plug-in opened, printed instead of starting a browser.
int RunHelp(const Request& request);

}  // namespace plenvo::cli
