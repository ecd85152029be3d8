// plenvo_rc_embed OUTPUT.cpp SCRIPT.rc [INCLUDED...]
// Parses the script as the headless layer will, so a broken template fails the build with
// its file and line, and writes a source that embeds the files and registers them with the
// module the source is linked into.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ResourceScript.h"

namespace {

std::string BaseName(const std::string& path) {
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void WriteBytes(std::ostream& out, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        out << static_cast<int>(static_cast<unsigned char>(text[i])) << ',';
        if (i % 24 == 23) out << '\n';
    }
    out << "0";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp SCRIPT.rc [INCLUDED...]\n", argv[0]);
        return 2;
    }
    std::vector<std::string> names;
    std::vector<std::string> texts;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read\n", argv[i]);
            return 1;
        }
        std::ostringstream text;
        text << in.rdbuf();
        names.push_back(BaseName(argv[i]));
        texts.push_back(text.str());
    }
    std::vector<plenvo::headless::ScriptFile> files;
    for (std::size_t i = 0; i < names.size(); ++i) {
        files.push_back({names[i].c_str(), texts[i].data(), texts[i].size()});
    }
    std::string error;
    if (!plenvo::headless::ParseResourceScript(files, &error)) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    std::ostringstream out;
    out << "// Generated from " << names[0] << " by plenvo_rc_embed; do not edit.\n"
        << "#include \"headless/Headless.h\"\n\n#include <cstdio>\n\nnamespace {\n\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        out << "const char kFile" << i << "[] = {\n";
        WriteBytes(out, texts[i]);
        out << "};\n\n";
    }
    out << "const plenvo::headless::ScriptFile kFiles[] = {\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        out << "    {\"" << names[i] << "\", kFile" << i << ", sizeof kFile" << i << " - 1},\n";
    }
    out << "};\n\n"
        << "struct Registration {\n"
        << "    Registration() {\n"
        << "        std::string error;\n"
        << "        if (!plenvo::headless::RegisterResourceScript(kFiles, kFiles, &error)) {\n"
        << "            std::fprintf(stderr, \"%s\\n\", error.c_str());\n"
        << "        }\n"
        << "    }\n"
        << "    ~Registration() { plenvo::headless::UnregisterResourceScript(kFiles); }\n"
        << "    Registration(const Registration&) = delete;\n"
        << "    Registration& operator=(const Registration&) = delete;\n"
        << "};\n\n"
        << "const Registration g_registration;\n\n}  // namespace\n";
    std::ofstream file(argv[1], std::ios::binary);
    file << out.str();
    return file ? 0 : 1;
}
