#pragma once

// The plug-in's menu tree under the host's "Extensions" menu: the maker's shared "Corvix"
// submenu, found or made, and in it a "TDM Reservation" submenu with the three commands.

#include "host/HostTypes.h"

namespace plenvo {

// Builds the tree; true once it stands. A failure leaves what was made before in place
// and the command items made so far remembered, for RemoveCommandItems.
bool BuildMenus();

// Takes the three command items out of their menu and forgets them; what is already gone
// is skipped. The maker item and the "TDM Reservation" submenu stay.
void RemoveCommandItems();

// Enable procedure of "TDM Reservation...": true while the host has an active document.
host::ASBool HasActiveDocument(void* clientData);

// Execute procedure of "Plenvo Help": opens the user guide, reporting nothing.
void ShowHelp(void* clientData);

}  // namespace plenvo
