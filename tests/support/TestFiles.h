#pragma once

// Files and folders for tests, and the outside programs that check them.

#include <string>
#include <string_view>
#include <vector>

namespace plenvo::test {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);

// Names in `folder`, hidden ones included, sorted.
std::vector<std::string> ListFolder(const std::string& folder);

struct ToolResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

// Runs a program found on PATH with these arguments, no shell in between.
ToolResult RunTool(const std::vector<std::string>& argv);

// The exiftool configuration that teaches it the tdm namespace.
std::string ExiftoolConfig();

}  // namespace plenvo::test
