#pragma once

// The stand-in viewer's plug-in loader. It loads plug-ins as the real viewer does: each
// "*.api" module of the plug-ins folder is opened, its PlugInMain called, then its set-up,
// its handshake and the callbacks the handshake registered (export, then initialisation).
// A plug-in that fails a step is reported in one line on the error stream, given its
// unload callback when it has one, and closed; the others load on. The host state is the
// process's own, so there is one viewer at a time.

#include <iosfwd>
#include <string>
#include <vector>

#include "host/HostTypes.h"

namespace plenvo::hostapp {

// "plug_ins" in the folder of the running program.
std::string DefaultPluginsFolder();

class Viewer {
public:
    // Starts from a fresh host: no documents, no faults, the menu bar as the viewer has it.
    explicit Viewer(std::ostream& errors);
    Viewer();
    // Unloads whatever is still loaded.
    ~Viewer();
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    // Loads the folder's plug-ins in the order of their file names; answers how many loaded.
    // A folder that cannot be read is reported and loads none.
    int LoadPlugins(const std::string& folder);
    // Loads one module; false, reported, when it fails a step.
    bool LoadPlugin(const std::string& path);
    // Calls each loaded plug-in's unload callback, the last loaded first, and closes it.
    void UnloadAll();

    // The modules that stand loaded, in load order.
    std::vector<std::string> LoadedPlugins() const;

private:
    struct Plugin {
        std::string path;
        void* handle = nullptr;
        const void* base = nullptr;  // where the module lies in memory
        host::ASCallback unload = nullptr;
    };

    void Close(Plugin& plugin);

    std::ostream& errors_;
    std::vector<Plugin> plugins_;
};

}  // namespace plenvo::hostapp
