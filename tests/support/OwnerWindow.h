#pragma once

// A visible top-level window to own dialogs and message boxes in tests, as the host's
// main window does.

#include <windows.h>

#include <gtest/gtest.h>

namespace plenvo::test {

inline HWND MakeOwnerWindow() {
    static const bool registered = [] {
        WNDCLASSEXA cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = DefWindowProcA;
        cls.lpszClassName = "PlenvoTestOwner";
        return RegisterClassExA(&cls) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "PlenvoTestOwner", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           800, 600, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace plenvo::test
