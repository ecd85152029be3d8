#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include <shellapi.h>
#include <windows.h>

#include "headless/Headless.h"
#include "support/TempFolder.h"

namespace plenvo::headless {
namespace {

using plenvo::testing::ReadFile;
using plenvo::testing::ScopedEnv;
using plenvo::testing::TempFolder;

INT_PTR Open(const char* verb, const char* file) {
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, verb, file, nullptr, nullptr, SW_SHOWNORMAL));
}

// A stand-in for xdg-open that writes down the arguments it was given, one per line.
std::string InstallRecordingOpener(const TempFolder& bin, const std::string& record) {
    const std::string script = bin.Write("xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                                          record + "'\n");
    ::chmod(script.c_str(), 0755);
    return bin.Path().string();
}

TEST(ShellTest, OpensAnAddressWithXdgOpenAsOneArgument) {
    TempFolder bin;
    const std::string record = bin / "record";
    ScopedEnv path("PATH", InstallRecordingOpener(bin, record).c_str());
    // Nothing in the address may reach a shell.
    const std::string address = "https://help.example.com/a b/\"q\"/$(touch x);`id`&y=1#top";
    EXPECT_GT(Open("open", address.c_str()), 32);
    EXPECT_EQ(WaitForLaunchedPrograms(), 1);
    EXPECT_EQ(ReadFile(record), address + "\n");
}

TEST(ShellTest, AnswersThirtyTwoOrLessWhenNothingCanOpen) {
    TempFolder bin;
    ScopedEnv path("PATH", bin.Path().c_str());
    EXPECT_EQ(Open("open", "https://help.example.com/"), SE_ERR_NOASSOC) << "no xdg-open on the path";
    const std::string record = bin / "record";
    InstallRecordingOpener(bin, record);
    EXPECT_EQ(Open("print", "https://help.example.com/"), SE_ERR_NOASSOC) << "only opening is offered";
    EXPECT_EQ(Open("open", ""), SE_ERR_FNF);
    EXPECT_EQ(WaitForLaunchedPrograms(), 0);
}

TEST(ShellTest, AHookSeesTheRequestInsteadOfAProgram) {
    ShellRequest seen{};
    int calls = 0;
    SetShellHook([&](const ShellRequest& request) {
        seen = request;
        ++calls;
        return INT_PTR{33};
    });
    EXPECT_EQ(Open(nullptr, "https://help.example.com/x.html"), 33);
    SetShellHook({});
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen.verb, "");
    EXPECT_EQ(seen.file, "https://help.example.com/x.html");
    EXPECT_EQ(seen.show, SW_SHOWNORMAL);
    EXPECT_EQ(WaitForLaunchedPrograms(), 0);
}

}  // namespace
}  // namespace plenvo::headless
