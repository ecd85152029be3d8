// HKEY_CURRENT_USER kept in one REGEDIT4-style text file. Every call reads the file again,
// so two processes see each other's writes as they would on Windows; every change rewrites
// the whole file through a temporary file and a rename, so a crash never leaves half a file.

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Internal.h"
#include "headless/Headless.h"

namespace plenvo::headless {
namespace {

constexpr const char* kRootName = "HKEY_CURRENT_USER";

struct Value {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

struct Key {
    std::string path;  // as first written, without the root
    std::vector<Value> values;

    Value* Find(std::string_view name) {
        for (Value& v : values) {
            if (EqualsNoCase(v.name, name)) {
                return &v;
            }
        }
        return nullptr;
    }
};

// Keys by case-folded path; "" is the root, which always exists.
using Hive = std::map<std::string, Key>;

struct OpenKey {
    std::string folded;
    REGSAM access;
};

std::mutex g_mutex;
std::set<OpenKey*> g_openKeys;

std::string ConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // Relative values are not allowed for XDG_CONFIG_HOME and are ignored.
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* pw = getpwuid(getuid());
        home = pw != nullptr ? pw->pw_dir : "/";
    }
    return std::string(home) + "/.config";
}

// ---- The file format ---------------------------------------------------------------------

char HexDigit(unsigned v) { return "0123456789abcdef"[v & 0xF]; }

bool StoresAsString(const Value& v) {
    if (v.type != REG_SZ || v.data.empty() || v.data.back() != '\0') {
        return false;
    }
    for (std::size_t i = 0; i + 1 < v.data.size(); ++i) {
        if (static_cast<unsigned char>(v.data[i]) < 0x20 || v.data[i] == 0x7F) {
            return false;
        }
    }
    return true;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::string Serialise(const Hive& hive) {
    std::string out = "REGEDIT4\n";
    for (const auto& [folded, key] : hive) {
        if (folded.empty() && key.values.empty()) {
            continue;  // the root is always there
        }
        out += "\n[";
        out += kRootName;
        if (!key.path.empty()) {
            out += "\\" + key.path;
        }
        out += "]\n";
        for (const Value& v : key.values) {
            out += v.name.empty() ? std::string("@") : Quote(v.name);
            out += '=';
            if (StoresAsString(v)) {
                out += Quote(std::string_view(v.data).substr(0, v.data.size() - 1));
            } else if (v.type == REG_DWORD && v.data.size() == 4) {
                DWORD number = 0;
                std::memcpy(&number, v.data.data(), 4);
                char text[16];
                std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
                out += text;
            } else {
                if (v.type == REG_BINARY) {
                    out += "hex:";
                } else {
                    char prefix[24];
                    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(v.type));
                    out += prefix;
                }
                for (std::size_t i = 0; i < v.data.size(); ++i) {
                    const auto byte = static_cast<unsigned char>(v.data[i]);
                    if (i > 0) {
                        out += ',';
                    }
                    out += HexDigit(byte >> 4);
                    out += HexDigit(byte);
                }
            }
            out += '\n';
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted string starting at text[pos] == '"'; leaves pos after the closing quote.
std::optional<std::string> Unquote(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') {
        return std::nullopt;
    }
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\') {
            if (++pos >= text.size() || (text[pos] != '\\' && text[pos] != '"')) {
                return std::nullopt;
            }
        }
        out += text[pos];
    }
    return std::nullopt;
}

std::optional<std::string> HexBytes(std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (pos + 2 > text.size()) {
            return std::nullopt;
        }
        const int hi = HexValue(text[pos]);
        const int lo = HexValue(text[pos + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(hi * 16 + lo);
        pos += 2;
        if (pos < text.size()) {
            if (text[pos] != ',' || pos + 1 == text.size()) {
                return std::nullopt;
            }
            ++pos;
        }
    }
    return out;
}

std::optional<Value> ParseValueLine(std::string_view line) {
    Value v;
    std::size_t pos = 0;
    if (line.starts_with("@=")) {
        pos = 1;
    } else {
        auto name = Unquote(line, pos);
        if (!name || name->empty() || pos >= line.size() || line[pos] != '=') {
            return std::nullopt;
        }
        v.name = *name;
    }
    ++pos;  // '='
    const std::string_view data = line.substr(pos);
    if (data.starts_with("\"")) {
        std::size_t at = 0;
        auto text = Unquote(data, at);
        if (!text || at != data.size()) {
            return std::nullopt;
        }
        v.type = REG_SZ;
        v.data = *text + '\0';
    } else if (data.starts_with("dword:")) {
        const std::string_view digits = data.substr(6);
        if (digits.size() != 8) {
            return std::nullopt;
        }
        DWORD number = 0;
        for (char c : digits) {
            const int d = HexValue(c);
            if (d < 0) {
                return std::nullopt;
            }
            number = number * 16 + static_cast<DWORD>(d);
        }
        v.type = REG_DWORD;
        v.data.assign(reinterpret_cast<const char*>(&number), 4);
    } else if (data.starts_with("hex:") || data.starts_with("hex(")) {
        std::string_view rest = data.substr(3);
        v.type = REG_BINARY;
        if (rest.starts_with("(")) {
            const std::size_t close = rest.find("):");
            if (close == std::string_view::npos || close == 1 || close > 9) {
                return std::nullopt;
            }
            DWORD type = 0;
            for (char c : rest.substr(1, close - 1)) {
                const int d = HexValue(c);
                if (d < 0) {
                    return std::nullopt;
                }
                type = type * 16 + static_cast<DWORD>(d);
            }
            v.type = type;
            rest = rest.substr(close + 1);
        }
        if (!rest.starts_with(":")) {
            return std::nullopt;
        }
        auto bytes = HexBytes(rest.substr(1));
        if (!bytes) {
            return std::nullopt;
        }
        v.data = *bytes;
    } else {
        return std::nullopt;
    }
    return v;
}

// Parses the whole file; any line it does not understand makes it damaged.
std::optional<Hive> Parse(std::string_view text) {
    Hive hive;
    Key* current = nullptr;
    bool sawHeader = false;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            if (end == text.size()) {
                break;
            }
            continue;
        }
        if (!sawHeader) {
            if (line != "REGEDIT4") {
                return std::nullopt;
            }
            sawHeader = true;
        } else if (line.front() == '[') {
            if (line.back() != ']') {
                return std::nullopt;
            }
            std::string_view path = line.substr(1, line.size() - 2);
            if (!path.starts_with(kRootName)) {
                return std::nullopt;
            }
            path.remove_prefix(std::strlen(kRootName));
            if (!path.empty()) {
                if (path.front() != '\\' || path.size() == 1) {
                    return std::nullopt;
                }
                path.remove_prefix(1);
            }
            const std::string folded = FoldCase(path);
            if (hive.count(folded) != 0) {
                return std::nullopt;
            }
            current = &hive[folded];
            current->path = std::string(path);
        } else {
            auto value = ParseValueLine(line);
            if (!value || current == nullptr || current->Find(value->name) != nullptr) {
                return std::nullopt;
            }
            current->values.push_back(std::move(*value));
        }
        if (end == text.size()) {
            break;
        }
    }
    // Every key's parents exist, as they do in a real hive.
    for (const auto& [folded, key] : Hive(hive)) {
        for (std::size_t cut = folded.find('\\'); cut != std::string::npos;
             cut = folded.find('\\', cut + 1)) {
            if (hive.count(folded.substr(0, cut)) == 0) {
                return std::nullopt;
            }
        }
    }
    hive[""];
    return hive;
}

struct Loaded {
    Hive hive;
    bool damaged = false;
};

Loaded Load() {
    Loaded loaded;
    loaded.hive[""];
    const std::string path = RegistryFilePath();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return loaded;
    }
    std::string text;
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, n);
    }
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    auto hive = readFailed ? std::nullopt : Parse(text);
    if (hive) {
        loaded.hive = std::move(*hive);
    } else {
        loaded.damaged = true;
    }
    return loaded;
}

bool MakeFolders(const std::string& folder) {
    std::size_t cut = 0;
    while ((cut = folder.find('/', cut + 1)) != std::string::npos) {
        const std::string part = folder.substr(0, cut);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

LSTATUS Store(const Loaded& loaded) {
    const std::string path = RegistryFilePath();
    const std::string folder = path.substr(0, path.rfind('/'));
    if (!MakeFolders(folder)) {
        return ERROR_ACCESS_DENIED;
    }
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return ERROR_ACCESS_DENIED;
    }
    const bool written = WriteAll(fd, Serialise(loaded.hive)) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written) {
        ::unlink(temp.c_str());
        return ERROR_WRITE_FAULT;
    }
    // A damaged file is kept beside the new one rather than lost.
    if (loaded.damaged) {
        const std::string aside = path + ".damaged";
        ::rename(path.c_str(), aside.c_str());
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

// ---- Handles and paths -------------------------------------------------------------------

bool IsPredefined(HKEY key) {
    // The predefined handles are small negative numbers, sign-extended to a pointer.
    const auto v = static_cast<LONG_PTR>(reinterpret_cast<ULONG_PTR>(key));
    return v >= static_cast<LONG>(0x80000000u) && v <= static_cast<LONG>(0x8000000Fu);
}

// Resolves a handle to the folded path of its key; predefined roots other than the current
// user's have nothing behind them here.
LSTATUS BasePath(HKEY key, std::string& folded, REGSAM& access) {
    if (key == HKEY_CURRENT_USER) {
        folded.clear();
        access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    if (IsPredefined(key)) {
        return ERROR_FILE_NOT_FOUND;
    }
    auto* open = reinterpret_cast<OpenKey*>(key);
    if (key == nullptr || g_openKeys.count(open) == 0) {
        return ERROR_INVALID_HANDLE;
    }
    folded = open->folded;
    access = open->access;
    return ERROR_SUCCESS;
}

// Splits a sub key path into its parts; a leading separator or an empty part is invalid.
LSTATUS SplitSubKey(LPCSTR subKey, std::vector<std::string>& parts) {
    if (subKey == nullptr || subKey[0] == '\0') {
        return ERROR_SUCCESS;
    }
    std::string_view rest(subKey);
    if (rest.front() == '\\') {
        return ERROR_BAD_PATHNAME;
    }
    if (rest.back() == '\\') {
        rest.remove_suffix(1);
    }
    while (true) {
        const std::size_t cut = rest.find('\\');
        const std::string_view part = rest.substr(0, cut);
        if (part.empty()) {
            return ERROR_BAD_PATHNAME;
        }
        if (part.size() > 255) {
            return ERROR_INVALID_PARAMETER;
        }
        parts.emplace_back(part);
        if (cut == std::string_view::npos) {
            return ERROR_SUCCESS;
        }
        rest.remove_prefix(cut + 1);
    }
}

std::string Join(const std::string& base, const std::string& part) {
    return base.empty() ? part : base + "\\" + part;
}

HKEY NewHandle(std::string folded, REGSAM access) {
    auto* open = new OpenKey{std::move(folded), access};
    g_openKeys.insert(open);
    return reinterpret_cast<HKEY>(open);
}

std::string ValueName(LPCSTR name) { return name == nullptr ? std::string() : std::string(name); }

// The folded path of the key that `subKey` names below an open or predefined key.
LSTATUS SubKeyPath(HKEY handle, LPCSTR subKey, std::string& folded) {
    REGSAM access = 0;
    std::vector<std::string> parts;
    LSTATUS status = BasePath(handle, folded, access);
    if (status == ERROR_SUCCESS) {
        status = SplitSubKey(subKey, parts);
    }
    for (const std::string& part : parts) {
        folded = Join(folded, FoldCase(part));
    }
    return status;
}

// Loads the hive and finds the key that an open handle names, when the handle grants
// `need`. The caller holds the registry lock.
LSTATUS FindOpenKey(HKEY handle, REGSAM need, Loaded& loaded, Key*& key) {
    std::string folded;
    REGSAM access = 0;
    if (const LSTATUS status = BasePath(handle, folded, access); status != ERROR_SUCCESS) {
        return status;
    }
    if ((access & need) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    loaded = Load();
    const auto found = loaded.hive.find(folded);
    if (found == loaded.hive.end()) {
        return ERROR_KEY_DELETED;
    }
    key = &found->second;
    return ERROR_SUCCESS;
}

}  // namespace

std::string RegistryFilePath() { return ConfigFolder() + "/plenvo/hkcu.reg"; }

int CountOpenRegistryKeys() {
    std::lock_guard lock(g_mutex);
    return static_cast<int>(g_openKeys.size());
}

}  // namespace plenvo::headless

using namespace plenvo::headless;

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired,
                             PHKEY phkResult) {
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(g_mutex);
    std::string folded;
    if (const LSTATUS status = SubKeyPath(hKey, lpSubKey, folded); status != ERROR_SUCCESS) {
        return status;
    }
    const Loaded loaded = Load();
    if (loaded.hive.count(folded) == 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    *phkResult = NewHandle(folded, samDesired);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR, DWORD,
                               REGSAM samDesired, const LPSECURITY_ATTRIBUTES, PHKEY phkResult,
                               LPDWORD lpdwDisposition) {
    if (phkResult == nullptr || Reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(g_mutex);
    std::string folded;
    REGSAM baseAccess = 0;
    LSTATUS status = BasePath(hKey, folded, baseAccess);
    if (status == ERROR_FILE_NOT_FOUND) {
        return ERROR_ACCESS_DENIED;
    }
    std::vector<std::string> parts;
    if (status == ERROR_SUCCESS) {
        status = SplitSubKey(lpSubKey, parts);
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    Loaded loaded = Load();
    if (loaded.hive.count(folded) == 0) {
        return ERROR_KEY_DELETED;
    }
    std::string display = loaded.hive[folded].path;
    bool created = false;
    for (const std::string& part : parts) {
        folded = Join(folded, FoldCase(part));
        display = Join(display, part);
        auto [it, inserted] = loaded.hive.try_emplace(folded);
        if (inserted) {
            it->second.path = display;
            created = true;
        } else {
            display = it->second.path;
        }
    }
    if (created) {
        if ((baseAccess & KEY_CREATE_SUB_KEY) == 0) {
            return ERROR_ACCESS_DENIED;
        }
        status = Store(loaded);
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    if (lpdwDisposition != nullptr) {
        *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    *phkResult = NewHandle(folded, samDesired);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(g_mutex);
    Loaded loaded;
    Key* key = nullptr;
    if (const LSTATUS status = FindOpenKey(hKey, KEY_QUERY_VALUE, loaded, key);
        status != ERROR_SUCCESS) {
        return status;
    }
    const Value* value = key->Find(ValueName(lpValueName));
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (lpType != nullptr) {
        *lpType = value->type;
    }
    const auto size = static_cast<DWORD>(value->data.size());
    if (lpData == nullptr) {
        if (lpcbData != nullptr) {
            *lpcbData = size;
        }
        return ERROR_SUCCESS;
    }
    if (*lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    std::memcpy(lpData, value->data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                              const BYTE* lpData, DWORD cbData) {
    if (Reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    if (lpData == nullptr && cbData != 0) {
        return ERROR_NOACCESS;
    }
    std::lock_guard lock(g_mutex);
    Loaded loaded;
    Key* key = nullptr;
    if (const LSTATUS status = FindOpenKey(hKey, KEY_SET_VALUE, loaded, key);
        status != ERROR_SUCCESS) {
        return status;
    }
    const std::string name = ValueName(lpValueName);
    Value* value = key->Find(name);
    if (value == nullptr) {
        key->values.push_back(Value{name, dwType, {}});
        value = &key->values.back();
    }
    value->type = dwType;
    value->data.assign(reinterpret_cast<const char*>(lpData), cbData);
    return Store(loaded);
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    std::lock_guard lock(g_mutex);
    Loaded loaded;
    Key* key = nullptr;
    if (const LSTATUS status = FindOpenKey(hKey, KEY_SET_VALUE, loaded, key);
        status != ERROR_SUCCESS) {
        return status;
    }
    auto& values = key->values;
    const std::string name = ValueName(lpValueName);
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (EqualsNoCase(it->name, name)) {
            values.erase(it);
            return Store(loaded);
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (lpSubKey == nullptr || lpSubKey[0] == '\0') {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(g_mutex);
    std::string folded;
    if (const LSTATUS status = SubKeyPath(hKey, lpSubKey, folded); status != ERROR_SUCCESS) {
        return status;
    }
    Loaded loaded = Load();
    if (loaded.hive.count(folded) == 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    // Like Windows, a key that still has sub keys is not deleted.
    for (const auto& entry : loaded.hive) {
        if (entry.first.starts_with(folded + "\\")) {
            return ERROR_ACCESS_DENIED;
        }
    }
    loaded.hive.erase(folded);
    return Store(loaded);
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    if (IsPredefined(hKey)) {
        return ERROR_SUCCESS;
    }
    std::lock_guard lock(g_mutex);
    auto* open = reinterpret_cast<OpenKey*>(hKey);
    if (g_openKeys.erase(open) == 0) {
        return ERROR_INVALID_HANDLE;
    }
    delete open;
    return ERROR_SUCCESS;
}
