#pragma once

// The two dialog commands as the menu items run them. Each runs inside a host exception
// frame of its own: a host error that reaches it ends the command without a message.

namespace plenvo {

// The single-document dialog over the active view's document; nothing without one.
void RunSingleDocumentCommand();

// The batch dialog; needs no document.
void RunBatchCommand();

}  // namespace plenvo
