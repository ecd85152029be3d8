#include "ResourceScript.h"

#include <commctrl.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>

#include "Internal.h"

namespace plenvo::headless {
namespace {

#define NAMED(x) {#x, static_cast<long long>(x)}
const std::map<std::string, long long, std::less<>> kConstants = {
    NAMED(WS_OVERLAPPED), NAMED(WS_POPUP), NAMED(WS_CHILD), NAMED(WS_MINIMIZE),
    NAMED(WS_VISIBLE), NAMED(WS_DISABLED), NAMED(WS_CLIPSIBLINGS), NAMED(WS_CLIPCHILDREN),
    NAMED(WS_MAXIMIZE), NAMED(WS_CAPTION), NAMED(WS_BORDER), NAMED(WS_DLGFRAME),
    NAMED(WS_VSCROLL), NAMED(WS_HSCROLL), NAMED(WS_SYSMENU), NAMED(WS_THICKFRAME),
    NAMED(WS_GROUP), NAMED(WS_TABSTOP), NAMED(WS_MINIMIZEBOX), NAMED(WS_MAXIMIZEBOX),
    NAMED(WS_OVERLAPPEDWINDOW), NAMED(WS_EX_DLGMODALFRAME), NAMED(WS_EX_NOPARENTNOTIFY),
    NAMED(WS_EX_TOPMOST), NAMED(WS_EX_TRANSPARENT), NAMED(WS_EX_WINDOWEDGE),
    NAMED(WS_EX_CLIENTEDGE), NAMED(WS_EX_CONTEXTHELP), NAMED(WS_EX_RIGHT), NAMED(WS_EX_LEFT),
    NAMED(WS_EX_RTLREADING), NAMED(WS_EX_LEFTSCROLLBAR), NAMED(WS_EX_CONTROLPARENT),
    NAMED(WS_EX_STATICEDGE), NAMED(WS_EX_APPWINDOW), NAMED(DS_ABSALIGN), NAMED(DS_SYSMODAL),
    NAMED(DS_LOCALEDIT), NAMED(DS_SETFONT), NAMED(DS_MODALFRAME), NAMED(DS_NOIDLEMSG),
    NAMED(DS_SETFOREGROUND), NAMED(DS_3DLOOK), NAMED(DS_FIXEDSYS), NAMED(DS_NOFAILCREATE),
    NAMED(DS_CONTROL), NAMED(DS_CENTER), NAMED(DS_CENTERMOUSE), NAMED(DS_CONTEXTHELP),
    NAMED(DS_SHELLFONT), NAMED(BS_PUSHBUTTON), NAMED(BS_DEFPUSHBUTTON), NAMED(BS_CHECKBOX),
    NAMED(BS_AUTOCHECKBOX), NAMED(BS_RADIOBUTTON), NAMED(BS_3STATE), NAMED(BS_AUTO3STATE),
    NAMED(BS_GROUPBOX), NAMED(BS_USERBUTTON), NAMED(BS_AUTORADIOBUTTON), NAMED(BS_PUSHBOX),
    NAMED(BS_OWNERDRAW), NAMED(BS_LEFTTEXT), NAMED(BS_RIGHTBUTTON), NAMED(BS_TEXT),
    NAMED(BS_LEFT), NAMED(BS_RIGHT), NAMED(BS_CENTER), NAMED(BS_TOP), NAMED(BS_BOTTOM),
    NAMED(BS_VCENTER), NAMED(BS_MULTILINE), NAMED(BS_NOTIFY), NAMED(BS_FLAT), NAMED(SS_LEFT),
    NAMED(SS_CENTER), NAMED(SS_RIGHT), NAMED(SS_ICON), NAMED(SS_SIMPLE),
    NAMED(SS_LEFTNOWORDWRAP), NAMED(SS_NOPREFIX), NAMED(SS_NOTIFY), NAMED(SS_SUNKEN),
    NAMED(ES_LEFT), NAMED(ES_CENTER), NAMED(ES_RIGHT), NAMED(ES_MULTILINE), NAMED(ES_UPPERCASE),
    NAMED(ES_LOWERCASE), NAMED(ES_PASSWORD), NAMED(ES_AUTOVSCROLL), NAMED(ES_AUTOHSCROLL),
    NAMED(ES_NOHIDESEL), NAMED(ES_OEMCONVERT), NAMED(ES_READONLY), NAMED(ES_WANTRETURN),
    NAMED(ES_NUMBER), NAMED(CBS_SIMPLE), NAMED(CBS_DROPDOWN), NAMED(CBS_DROPDOWNLIST),
    NAMED(CBS_OWNERDRAWFIXED), NAMED(CBS_AUTOHSCROLL), NAMED(CBS_SORT), NAMED(CBS_HASSTRINGS),
    NAMED(CBS_NOINTEGRALHEIGHT), NAMED(CBS_DISABLENOSCROLL), NAMED(LVS_ICON), NAMED(LVS_REPORT),
    NAMED(LVS_SMALLICON), NAMED(LVS_LIST), NAMED(LVS_SINGLESEL), NAMED(LVS_SHOWSELALWAYS),
    NAMED(LVS_SORTASCENDING), NAMED(LVS_SORTDESCENDING), NAMED(LVS_NOSORTHEADER),
    NAMED(PBS_SMOOTH), NAMED(PBS_VERTICAL), NAMED(IDOK), NAMED(IDCANCEL), NAMED(IDABORT),
    NAMED(IDRETRY), NAMED(IDIGNORE), NAMED(IDYES), NAMED(IDNO), NAMED(IDCLOSE), NAMED(IDHELP),
};
#undef NAMED

const std::map<std::string, std::string, std::less<>> kClassNames = {
    {"BUTTON", "Button"},       {"EDIT", "Edit"},
    {"STATIC", "Static"},       {"COMBOBOX", "ComboBox"},
    {"LISTBOX", "ListBox"},     {"SCROLLBAR", "ScrollBar"},
    {"WC_LISTVIEW", WC_LISTVIEWA}, {"WC_LISTVIEWA", WC_LISTVIEWA},
    {"PROGRESS_CLASS", PROGRESS_CLASSA}, {"PROGRESS_CLASSA", PROGRESS_CLASSA},
};

struct ControlKind {
    const char* className;
    DWORD style;
    bool hasText;
};

const std::map<std::string, ControlKind, std::less<>> kControlKinds = {
    {"LTEXT", {"Static", SS_LEFT | WS_GROUP, true}},
    {"RTEXT", {"Static", SS_RIGHT | WS_GROUP, true}},
    {"CTEXT", {"Static", SS_CENTER | WS_GROUP, true}},
    {"ICON", {"Static", SS_ICON, true}},
    {"PUSHBUTTON", {"Button", BS_PUSHBUTTON | WS_TABSTOP, true}},
    {"DEFPUSHBUTTON", {"Button", BS_DEFPUSHBUTTON | WS_TABSTOP, true}},
    {"PUSHBOX", {"Button", BS_PUSHBOX | WS_TABSTOP, true}},
    {"CHECKBOX", {"Button", BS_CHECKBOX | WS_TABSTOP, true}},
    {"AUTOCHECKBOX", {"Button", BS_AUTOCHECKBOX | WS_TABSTOP, true}},
    {"RADIOBUTTON", {"Button", BS_RADIOBUTTON | WS_TABSTOP, true}},
    {"AUTORADIOBUTTON", {"Button", BS_AUTORADIOBUTTON | WS_TABSTOP, true}},
    {"STATE3", {"Button", BS_3STATE | WS_TABSTOP, true}},
    {"AUTO3STATE", {"Button", BS_AUTO3STATE | WS_TABSTOP, true}},
    {"GROUPBOX", {"Button", BS_GROUPBOX, true}},
    {"EDITTEXT", {"Edit", ES_LEFT | WS_BORDER | WS_TABSTOP, false}},
    {"COMBOBOX", {"ComboBox", CBS_SIMPLE | WS_TABSTOP, false}},
    {"LISTBOX", {"ListBox", WS_BORDER | 0x0001L /* LBS_NOTIFY */, false}},
    {"SCROLLBAR", {"ScrollBar", 0, false}},
};

// Resource types that carry a BEGIN ... END block, and those that name a file.
const std::set<std::string, std::less<>> kBlockTypes = {
    "STRINGTABLE", "MENU", "MENUEX", "VERSIONINFO", "ACCELERATORS", "DESIGNINFO",
    "TEXTINCLUDE", "TOOLBAR", "RCDATA", "DLGINIT", "AFX_DIALOG_LAYOUT"};
const std::set<std::string, std::less<>> kFileTypes = {
    "ICON", "BITMAP", "CURSOR", "HTML", "MANIFEST", "RT_MANIFEST", "FONT", "24", "PNG"};
const std::set<std::string, std::less<>> kMemoryFlags = {
    "DISCARDABLE", "MOVEABLE", "FIXED", "PURE", "IMPURE", "PRELOAD", "LOADONCALL", "SHARED",
    "NONSHARED"};

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class TokenType { Word, Number, String, Punct, End };

struct Token {
    TokenType type = TokenType::End;
    std::string text;
    long long number = 0;
    std::string file;
    int line = 0;
};

std::string Upper(std::string_view text) { return FoldCase(text); }

// ---- Preprocessing and tokens -----------------------------------------------------------

class Lexer {
public:
    Lexer(std::span<const ScriptFile> files) : files_(files) {}

    std::vector<Token> Run() {
        Include(files_[0], 0);
        Token end;
        end.file = files_[0].name;
        tokens_.push_back(end);
        return std::move(tokens_);
    }

    const std::map<std::string, std::vector<Token>, std::less<>>& Defines() const { return defines_; }

private:
    [[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
        throw ParseError(file + ":" + std::to_string(line) + ": " + what);
    }

    const ScriptFile* FindFile(std::string_view name) {
        const std::size_t cut = name.find_last_of("/\\");
        const std::string_view base = cut == std::string_view::npos ? name : name.substr(cut + 1);
        for (const ScriptFile& f : files_) {
            std::string_view other(f.name);
            const std::size_t c = other.find_last_of("/\\");
            if (EqualsNoCase(c == std::string_view::npos ? other : other.substr(c + 1), base)) {
                return &f;
            }
        }
        return nullptr;
    }

    void Include(const ScriptFile& file, int depth) {
        if (depth > 16) {
            Fail(file.name, 1, "includes nest too deeply");
        }
        const std::string_view text(file.text, file.size);
        std::vector<bool> active{true};  // one entry per open #if
        std::vector<bool> taken{true};
        int line = 0;
        std::size_t pos = 0;
        bool inComment = false;
        while (pos < text.size()) {
            // Joins lines that end in a backslash.
            std::string logical;
            const int firstLine = ++line;
            while (true) {
                std::size_t end = text.find('\n', pos);
                if (end == std::string_view::npos) end = text.size();
                std::string_view piece = text.substr(pos, end - pos);
                pos = end + 1;
                if (piece.ends_with('\r')) piece.remove_suffix(1);
                if (piece.ends_with('\\') && pos < text.size()) {
                    logical.append(piece.substr(0, piece.size() - 1));
                    ++line;
                    continue;
                }
                logical.append(piece);
                break;
            }
            std::string_view trimmed = logical;
            while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.front()))) {
                trimmed.remove_prefix(1);
            }
            if (!inComment && trimmed.starts_with("#")) {
                Directive(file, firstLine, trimmed.substr(1), active, taken, depth);
                continue;
            }
            if (!active.back()) {
                continue;
            }
            Tokenise(file.name, firstLine, logical, inComment);
        }
        if (active.size() != 1) {
            Fail(file.name, line, "#if without #endif");
        }
    }

    bool Evaluate(const std::string& file, int line, std::string_view condition) {
        std::string text(condition);
        // defined(X) and defined X
        for (std::size_t at; (at = text.find("defined")) != std::string::npos;) {
            std::size_t p = at + 7;
            while (p < text.size() && (text[p] == ' ' || text[p] == '(')) ++p;
            std::size_t q = p;
            while (q < text.size() && (std::isalnum(static_cast<unsigned char>(text[q])) || text[q] == '_')) ++q;
            const bool known = defines_.count(text.substr(p, q - p)) != 0;
            while (q < text.size() && (text[q] == ' ' || text[q] == ')')) ++q;
            text.replace(at, q - at, known ? " 1 " : " 0 ");
        }
        std::vector<Token> tokens;
        bool comment = false;
        const std::size_t before = tokens_.size();
        Tokenise(file, line, text, comment);
        tokens.assign(tokens_.begin() + static_cast<long>(before), tokens_.end());
        tokens_.resize(before);
        if (tokens.empty()) {
            Fail(file, line, "#if without a condition");
        }
        long long value = 0;
        for (const Token& t : tokens) {
            if (t.type == TokenType::Number) {
                value = value || t.number;
            } else if (t.type == TokenType::Word) {
                auto it = defines_.find(t.text);
                value = value || (it != defines_.end() && !it->second.empty() &&
                                  !(it->second[0].type == TokenType::Number && it->second[0].number == 0));
            } else if (t.text != "|" && t.text != "(" && t.text != ")") {
                Fail(file, line, "#if condition too complex: " + std::string(condition));
            }
        }
        return value != 0;
    }

    void Directive(const ScriptFile& file, int line, std::string_view rest, std::vector<bool>& active,
                   std::vector<bool>& taken, int depth) {
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        std::size_t nameEnd = 0;
        while (nameEnd < rest.size() && std::isalpha(static_cast<unsigned char>(rest[nameEnd]))) ++nameEnd;
        const std::string name(rest.substr(0, nameEnd));
        std::string_view args = rest.substr(nameEnd);
        while (!args.empty() && std::isspace(static_cast<unsigned char>(args.front()))) args.remove_prefix(1);
        // Comments after directives carry no meaning.
        if (const std::size_t c = args.find("//"); c != std::string_view::npos) args = args.substr(0, c);
        if (const std::size_t c = args.find("/*"); c != std::string_view::npos) args = args.substr(0, c);
        while (!args.empty() && std::isspace(static_cast<unsigned char>(args.back()))) args.remove_suffix(1);
        const bool parentActive = active.size() < 2 || active[active.size() - 2];

        if (name == "if" || name == "ifdef" || name == "ifndef") {
            bool value = false;
            if (active.back()) {
                if (name == "if") value = Evaluate(file.name, line, args);
                else value = (defines_.count(std::string(args)) != 0) == (name == "ifdef");
            }
            active.push_back(active.back() && value);
            taken.push_back(value);
        } else if (name == "elif") {
            if (active.size() < 2) Fail(file.name, line, "#elif without #if");
            const bool value = !taken.back() && parentActive && Evaluate(file.name, line, args);
            active.back() = value;
            taken.back() = taken.back() || value;
        } else if (name == "else") {
            if (active.size() < 2) Fail(file.name, line, "#else without #if");
            active.back() = parentActive && !taken.back();
            taken.back() = true;
        } else if (name == "endif") {
            if (active.size() < 2) Fail(file.name, line, "#endif without #if");
            active.pop_back();
            taken.pop_back();
        } else if (!active.back()) {
            return;
        } else if (name == "include") {
            if (args.starts_with("<")) {
                // System headers: their symbols are known here already, except the one
                // that winres.h adds, which scripts must include to use.
                if (EqualsNoCase(args, "<winres.h>") || EqualsNoCase(args, "<afxres.h>")) {
                    defines_["IDC_STATIC"] = {Token{TokenType::Number, "-1", -1, file.name, line}};
                }
                return;
            }
            if (args.size() < 2 || args.front() != '"' || args.back() != '"') {
                Fail(file.name, line, "bad #include");
            }
            const std::string_view wanted = args.substr(1, args.size() - 2);
            const ScriptFile* included = FindFile(wanted);
            if (included == nullptr) {
                Fail(file.name, line, "cannot find included file \"" + std::string(wanted) + "\"");
            }
            Include(*included, depth + 1);
        } else if (name == "define") {
            std::size_t end = 0;
            while (end < args.size() && (std::isalnum(static_cast<unsigned char>(args[end])) || args[end] == '_')) ++end;
            if (end == 0) Fail(file.name, line, "bad #define");
            if (end < args.size() && args[end] == '(') {
                return;  // function-like macros are not used by dialog statements
            }
            const std::string symbol(args.substr(0, end));
            bool comment = false;
            const std::size_t before = tokens_.size();
            Tokenise(file.name, line, std::string(args.substr(end)), comment);
            defines_[symbol].assign(tokens_.begin() + static_cast<long>(before), tokens_.end());
            tokens_.resize(before);
        } else if (name == "undef") {
            defines_.erase(std::string(args));
        } else if (name == "pragma" || name == "line" || name.empty()) {
            return;
        } else if (name == "error") {
            Fail(file.name, line, "#error " + std::string(args));
        } else {
            Fail(file.name, line, "unknown directive #" + name);
        }
    }

    void Tokenise(const std::string& file, int line, const std::string& text, bool& inComment) {
        std::size_t i = 0;
        auto push = [&](TokenType type, std::string t, long long number = 0) {
            tokens_.push_back(Token{type, std::move(t), number, file, line});
        };
        while (i < text.size()) {
            const char c = text[i];
            if (inComment) {
                const std::size_t end = text.find("*/", i);
                if (end == std::string::npos) return;
                inComment = false;
                i = end + 2;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
            } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
                return;
            } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
                inComment = true;
                i += 2;
            } else if (c == '"') {
                push(TokenType::String, ReadString(file, line, text, i));
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                std::size_t end = i;
                while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) ++end;
                std::string digits = text.substr(i, end - i);
                while (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l' ||
                                           digits.back() == 'U' || digits.back() == 'u')) {
                    digits.pop_back();
                }
                char* stop = nullptr;
                const long long value = std::strtoll(digits.c_str(), &stop, 0);
                if (digits.empty() || *stop != '\0') {
                    Fail(file, line, "bad number " + text.substr(i, end - i));
                }
                push(TokenType::Number, text.substr(i, end - i), value);
                i = end;
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                std::size_t end = i;
                while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_')) ++end;
                push(TokenType::Word, text.substr(i, end - i));
                i = end;
            } else if (std::string_view(",|()+-~&{}").find(c) != std::string_view::npos) {
                push(TokenType::Punct, std::string(1, c));
                ++i;
            } else {
                Fail(file, line, std::string("unexpected character '") + c + "'");
            }
        }
    }

    // A quoted string: "" is a quote, and the C escapes that rc knows.
    std::string ReadString(const std::string& file, int line, const std::string& text, std::size_t& i) {
        std::string out;
        for (++i; i < text.size(); ++i) {
            char c = text[i];
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    out += '"';
                    ++i;
                    continue;
                }
                ++i;
                return out;
            }
            if (c == '\\' && i + 1 < text.size()) {
                c = text[++i];
                switch (c) {
                    case 'n': out += '\n'; break;
                    case 't': out += '\t'; break;
                    case 'r': out += '\r'; break;
                    case 'a': out += '\a'; break;
                    case '\\': out += '\\'; break;
                    case '"': out += '"'; break;
                    case 'x': {
                        int value = 0, digits = 0;
                        while (digits < 2 && i + 1 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
                            value = value * 16 + std::stoi(std::string(1, text[++i]), nullptr, 16);
                            ++digits;
                        }
                        out += static_cast<char>(value);
                        break;
                    }
                    default: out += '\\'; out += c; break;
                }
                continue;
            }
            out += c;
        }
        Fail(file, line, "string without its closing quote");
    }

    std::span<const ScriptFile> files_;
    std::vector<Token> tokens_;
    std::map<std::string, std::vector<Token>, std::less<>> defines_;
};

// ---- Statements ----------------------------------------------------------------------------

class Parser {
public:
    Parser(std::vector<Token> tokens, const std::map<std::string, std::vector<Token>, std::less<>>& defines)
        : tokens_(std::move(tokens)), defines_(defines) {}

    std::vector<DialogTemplate> Run() {
        std::vector<DialogTemplate> dialogs;
        while (Peek().type != TokenType::End) {
            Statement(dialogs);
        }
        return dialogs;
    }

private:
    [[noreturn]] void Fail(const Token& at, const std::string& what) {
        throw ParseError(at.file + ":" + std::to_string(at.line) + ": " + what);
    }
    const Token& Peek(std::size_t ahead = 0) const {
        return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
    }
    const Token& Next() {
        const Token& t = tokens_[pos_];
        if (pos_ + 1 < tokens_.size()) ++pos_;
        return t;
    }
    bool IsWord(const Token& t, std::string_view word) const {
        return t.type == TokenType::Word && EqualsNoCase(t.text, word);
    }
    bool IsPunct(const Token& t, char c) const { return t.type == TokenType::Punct && t.text[0] == c; }
    bool IsBegin(const Token& t) const { return IsWord(t, "BEGIN") || IsPunct(t, '{'); }
    bool IsEnd(const Token& t) const { return IsWord(t, "END") || IsPunct(t, '}'); }
    void Expect(char c) {
        if (!IsPunct(Peek(), c)) Fail(Peek(), std::string("expected '") + c + "' before '" + Peek().text + "'");
        Next();
    }
    bool Accept(char c) {
        if (IsPunct(Peek(), c)) {
            Next();
            return true;
        }
        return false;
    }

    long long Symbol(const Token& t, int depth = 0) {
        if (auto c = kConstants.find(t.text); c != kConstants.end()) {
            return c->second;
        }
        auto d = defines_.find(t.text);
        if (d == defines_.end() || d->second.empty() || depth > 16) {
            Fail(t, "unknown symbol " + t.text);
        }
        // Evaluates the definition's tokens with a parser of their own.
        Parser sub(d->second, defines_);
        sub.tokens_.push_back(Token{TokenType::End, "", 0, t.file, t.line});
        return sub.Expression(depth + 1);
    }

    long long Operand(int depth = 0) {
        const Token& t = Next();
        if (t.type == TokenType::Number) return t.number;
        if (t.type == TokenType::Word && !IsWord(t, "NOT")) return Symbol(t, depth);
        if (IsPunct(t, '(')) {
            const long long v = Expression(depth);
            Expect(')');
            return v;
        }
        if (IsPunct(t, '-')) return -Operand(depth);
        if (IsPunct(t, '~')) return ~Operand(depth);
        Fail(t, "expected a number before '" + t.text + "'");
    }

    long long Expression(int depth = 0) {
        long long value = Operand(depth);
        while (true) {
            const Token& t = Peek();
            if (IsPunct(t, '|')) { Next(); value |= Operand(depth); }
            else if (IsPunct(t, '+')) { Next(); value += Operand(depth); }
            else if (IsPunct(t, '-')) { Next(); value -= Operand(depth); }
            else if (IsPunct(t, '&')) { Next(); value &= Operand(depth); }
            else return value;
        }
    }

    // Styles: each part is OR-ed into the defaults, and "NOT x" takes x away from them.
    DWORD Style(DWORD base) {
        long long value = base;
        do {
            if (IsWord(Peek(), "NOT")) {
                Next();
                value &= ~Operand();
            } else {
                value |= Operand();
            }
        } while (Accept('|'));
        return static_cast<DWORD>(value);
    }

    std::string Text() {
        const Token& t = Next();
        if (t.type == TokenType::String) return t.text;
        if (t.type == TokenType::Number) return std::to_string(t.number);
        if (t.type == TokenType::Word) {
            if (auto d = defines_.find(t.text); d != defines_.end() && d->second.size() == 1 &&
                                                d->second[0].type == TokenType::String) {
                return d->second[0].text;
            }
        }
        Fail(t, "expected a text before '" + t.text + "'");
    }

    RECT Rect() {
        RECT r{};
        r.left = static_cast<LONG>(Expression());
        Expect(',');
        r.top = static_cast<LONG>(Expression());
        Expect(',');
        r.right = static_cast<LONG>(Expression());
        Expect(',');
        r.bottom = static_cast<LONG>(Expression());
        return r;
    }

    void SkipBlock() {
        while (!IsBegin(Peek())) {
            if (Peek().type == TokenType::End) Fail(Peek(), "missing BEGIN");
            Next();
        }
        Next();
        int depth = 1;
        while (depth > 0) {
            const Token& t = Next();
            if (t.type == TokenType::End) Fail(t, "missing END");
            if (IsBegin(t)) ++depth;
            if (IsEnd(t)) --depth;
        }
    }

    void Statement(std::vector<DialogTemplate>& dialogs) {
        const Token& first = Next();
        if (IsWord(first, "LANGUAGE")) {
            Expression();
            Expect(',');
            Expression();
            return;
        }
        if (IsWord(first, "STRINGTABLE")) {
            SkipBlock();
            return;
        }
        const Token& type = Next();
        const std::string typeName = Upper(type.text);
        if (typeName == "DIALOG" || typeName == "DIALOGEX") {
            dialogs.push_back(Dialog(first, typeName == "DIALOGEX"));
            for (const DialogTemplate& d : dialogs) {
                if (&d != &dialogs.back() && d.id == dialogs.back().id && d.name == dialogs.back().name) {
                    Fail(first, "dialog " + first.text + " is defined twice");
                }
            }
        } else if (kBlockTypes.count(typeName) != 0) {
            SkipBlock();
        } else if (kFileTypes.count(typeName) != 0) {
            const int line = type.line;
            while (Peek().type != TokenType::End && Peek().line == line) Next();
        } else {
            Fail(type, "unknown resource type " + type.text);
        }
    }

    DialogTemplate Dialog(const Token& name, bool extended) {
        DialogTemplate d;
        d.extended = extended;
        if (name.type == TokenType::Number) {
            d.id = static_cast<int>(name.number);
        } else if (name.type == TokenType::Word && (kConstants.count(name.text) || defines_.count(name.text))) {
            d.id = static_cast<int>(Symbol(name));
        } else if (name.type == TokenType::Word || name.type == TokenType::String) {
            d.name = Upper(name.text);
        } else {
            Fail(name, "bad dialog name");
        }
        while (Peek().type == TokenType::Word && kMemoryFlags.count(Upper(Peek().text))) Next();
        d.rect = Rect();
        if (Accept(',')) Expression();  // help id
        bool styleGiven = false;
        DWORD style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        bool captionGiven = false;
        while (!IsBegin(Peek())) {
            const Token& option = Next();
            const std::string key = Upper(option.text);
            if (key == "STYLE") {
                style = Style(0);
                styleGiven = true;
            } else if (key == "EXSTYLE") {
                d.exStyle = Style(0);
            } else if (key == "CAPTION") {
                d.caption = Text();
                captionGiven = true;
            } else if (key == "FONT") {
                d.fontSize = static_cast<int>(Expression());
                Expect(',');
                d.fontFace = Text();
                while (Accept(',')) Expression();
            } else if (key == "LANGUAGE") {
                Expression();
                Expect(',');
                Expression();
            } else if (key == "CHARACTERISTICS" || key == "VERSION") {
                Expression();
            } else if (key == "MENU" || key == "CLASS") {
                Next();
            } else {
                Fail(option, "unknown dialog option " + option.text);
            }
        }
        (void)styleGiven;
        if (captionGiven) style |= WS_CAPTION;
        if (d.fontSize != 0) style |= DS_SETFONT;
        d.style = style;
        Next();  // BEGIN
        while (!IsEnd(Peek())) {
            if (Peek().type == TokenType::End) Fail(Peek(), "missing END of dialog " + name.text);
            d.items.push_back(Control(extended));
        }
        Next();
        return d;
    }

    ItemTemplate Control(bool extended) {
        const Token& keyword = Next();
        const std::string key = Upper(keyword.text);
        ItemTemplate item;
        const DWORD always = WS_CHILD | WS_VISIBLE;
        if (key == "CONTROL") {
            item.text = Text();
            Expect(',');
            item.id = static_cast<int>(Expression());
            Expect(',');
            const Token& cls = Next();
            if (cls.type == TokenType::String) {
                item.className = cls.text;
            } else if (auto known = kClassNames.find(Upper(cls.text)); known != kClassNames.end()) {
                item.className = known->second;
            } else {
                Fail(cls, "unknown control class " + cls.text);
            }
            Expect(',');
            item.style = Style(always);
            Expect(',');
            item.rect = Rect();
            if (Accept(',')) item.exStyle = Style(0);
        } else if (auto kind = kControlKinds.find(key); kind != kControlKinds.end()) {
            item.className = kind->second.className;
            if (kind->second.hasText) {
                item.text = Text();
                Expect(',');
            }
            item.id = static_cast<int>(Expression());
            Expect(',');
            item.rect = Rect();
            item.style = always | kind->second.style;
            if (Accept(',')) item.style = Style(item.style);
            if (Accept(',')) item.exStyle = Style(0);
        } else {
            Fail(keyword, "unknown control statement " + keyword.text);
        }
        if (extended && Accept(',')) Expression();  // help id
        if (!extended && item.id == -1) item.id = 0xFFFF;
        return item;
    }

    std::vector<Token> tokens_;
    const std::map<std::string, std::vector<Token>, std::less<>>& defines_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<std::vector<DialogTemplate>> ParseResourceScript(std::span<const ScriptFile> files,
                                                               std::string* error) {
    if (files.empty()) {
        if (error != nullptr) *error = "no resource script";
        return std::nullopt;
    }
    try {
        Lexer lexer(files);
        std::vector<Token> tokens = lexer.Run();
        return Parser(std::move(tokens), lexer.Defines()).Run();
    } catch (const ParseError& e) {
        if (error != nullptr) *error = e.what();
        return std::nullopt;
    }
}

}  // namespace plenvo::headless
