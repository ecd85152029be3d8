#pragma once
// Control ids inside the common dialogs.

#define edt1 0x0480
#define stc1 0x0440
