#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

#include "headless/Headless.h"
#include "support/TempFolder.h"

namespace plenvo::headless {
namespace {

using plenvo::testing::TempFolder;

struct Entry {
    std::string name;
    bool directory;
    friend bool operator==(const Entry&, const Entry&) = default;
};

void PrintTo(const Entry& e, std::ostream* os) { *os << e.name << (e.directory ? "/" : ""); }

// Every entry FindFirstFileA/FindNextFileA give for a pattern, or the error that ended it.
std::vector<Entry> Find(const std::string& pattern, DWORD* error = nullptr) {
    std::vector<Entry> entries;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        if (error != nullptr) *error = GetLastError();
        return entries;
    }
    do {
        entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(find, &data));
    if (error != nullptr) *error = GetLastError();
    EXPECT_TRUE(FindClose(find));
    return entries;
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"x.PDF", "y.pdf", "z.pdfx", "notes.txt", "noext", ".hidden.pdf", "sub/inner.pdf",
                                 ".cache/cached.pdf"}) {
            folder.Write(name, "%PDF-1.4\n");
        }
    }
    void TearDown() override { EXPECT_EQ(CountOpen().findHandles, 0); }

    TempFolder folder;
};

TEST_F(FilesTest, ListsEveryNameWithItsDirectoryAttribute) {
    DWORD error = 0;
    const std::vector<Entry> expected = {
        {".", true},          {"..", true},        {".cache", true},     {".hidden.pdf", false},
        {"noext", false},     {"notes.txt", false}, {"sub", true},        {"x.PDF", false},
        {"y.pdf", false},     {"z.pdfx", false},
    };
    EXPECT_EQ(Find(folder / "*.*", &error), expected) << "*.* means every name, with or without a dot";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_EQ(Find(folder / "*"), expected);
}

TEST_F(FilesTest, PatternsMatchWithoutRegardToCase) {
    struct Case {
        const char* pattern;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"*.pdf", {".hidden.pdf", "x.PDF", "y.pdf"}},
        {"?.PdF", {"x.PDF", "y.pdf"}},
        {"NOTES.TXT", {"notes.txt"}},
        {"*.pdfx", {"z.pdfx"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (const Entry& e : Find(folder / c.pattern)) names.push_back(e.name);
        EXPECT_EQ(names, c.names) << c.pattern;
    }
}

TEST_F(FilesTest, FailuresSayWhy) {
    struct Case {
        std::string pattern;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {folder / "absent/*.*", ERROR_PATH_NOT_FOUND},
        {folder / "notes.txt/*.*", ERROR_PATH_NOT_FOUND},
        {folder / "*.doc", ERROR_FILE_NOT_FOUND},
        {folder.Path().string() + "/", ERROR_FILE_NOT_FOUND},
        {"", ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        DWORD error = 0;
        EXPECT_TRUE(Find(c.pattern, &error).empty()) << c.pattern;
        EXPECT_EQ(error, c.error) << c.pattern;
    }
    WIN32_FIND_DATAA data;
    EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(FilesTest, PathsStopAtTheAnsiLimit) {
    // A folder whose "<folder>/*.*" is exactly MAX_PATH - 1 characters works; one more fails.
    std::string deep = folder.Path().string();
    const std::size_t target = MAX_PATH - 1 - 4;  // room for "/*.*"
    while (deep.size() < target) {
        deep += "/" + std::string(std::min<std::size_t>(60, target - deep.size() - 1), 'd');
    }
    ASSERT_EQ(deep.size(), target);
    std::filesystem::create_directories(deep);
    std::filesystem::create_directories(deep + "e");
    folder.Write(deep.substr(folder.Path().string().size() + 1) + "/a.pdf");
    folder.Write(deep.substr(folder.Path().string().size() + 1) + "e/b.pdf");

    DWORD error = 0;
    EXPECT_EQ(Find(deep + "/*.*", &error).size(), 3u);
    EXPECT_EQ((deep + "e/*.*").size(), static_cast<std::size_t>(MAX_PATH));
    EXPECT_TRUE(Find(deep + "e/*.*", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(FilesTest, TheRootListsWithoutADoubledSeparator) {
    bool sawTmp = false;
    for (const Entry& e : Find("/*.*")) {
        sawTmp = sawTmp || (e.name == "tmp" && e.directory);
    }
    EXPECT_TRUE(sawTmp);
}

TEST_F(FilesTest, AttributesOfOneFile) {
    EXPECT_EQ(GetFileAttributesA((folder / "y.pdf").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA((folder / "sub").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA((folder / ".cache").c_str()),
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesA((folder / "absent").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace plenvo::headless
