#pragma once
// Reads the dialog templates out of a resource script, the same text that windres
// compiles for Windows: DIALOG and DIALOGEX statements with their controls, symbols from
// #define lines of included headers, and the styles each control statement implies.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "headless/Headless.h"

namespace plenvo::headless {

struct ItemTemplate {
    std::string className;
    std::string text;
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};  // dialog units: left, top, width, height
};

struct DialogTemplate {
    int id = -1;            // numeric name, or -1 for a string name
    std::string name;       // upper-cased string name when id is -1
    bool extended = false;  // DIALOGEX
    std::string caption;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};  // dialog units: left, top, width, height
    int fontSize = 0;
    std::string fontFace;
    std::vector<ItemTemplate> items;  // in tab order
};

// Parses `files[0]`, which may include the others by name. On failure answers nothing and
// says where and why in `error` ("dialogs.rc:12: ...").
std::optional<std::vector<DialogTemplate>> ParseResourceScript(std::span<const ScriptFile> files,
                                                               std::string* error);

}  // namespace plenvo::headless
