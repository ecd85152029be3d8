#include <gtest/gtest.h>

#include <windows.h>

// A crash ends the program with its exception code instead of waiting on Wine's crash
// dialog, which nobody would answer on the virtual display.
int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
