// Stands in for the web browser in the help tests: writes the arguments after the first,
// one a line, to the file named first, so a test sees what the shell passed on. It writes
// to another name first, so the file never shows half written.
#include <windows.h>

#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    const std::string record = argv[1];
    const std::string partial = record + ".part";
    {
        std::ofstream out(partial, std::ios::binary);
        for (int i = 2; i < argc; ++i) {
            out << argv[i] << '\n';
        }
        if (!out) {
            return 1;
        }
    }
    return MoveFileExA(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
