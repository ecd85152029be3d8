#include "Viewer.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <system_error>

#include "HostRuntime.h"
#include "ModuleLoader.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

// The host's own bytes of the handshake record; a plug-in must leave them as they are.
constexpr std::uint8_t kHostOwned[6] = {0x48, 0x4f, 0x53, 0x54, 0x00, 0x01};

template <class Proc>
Proc ProcedureOf(ASCallback callback) {
    return reinterpret_cast<Proc>(CallbackProcedure(callback));
}

// One call into a plug-in. An exception that it lets out fails the step rather than the
// viewer.
template <class Call>
bool Succeeds(Call&& call) {
    try {
        return call();
    } catch (...) {
        return false;
    }
}

// Once a module is closed nothing may call into it: its callbacks go, and the items that
// named them lose their procedures.
void ForgetProceduresIn(const void* base) {
    Host& host = TheHost();
    std::erase_if(host.callbacks, [&](const auto& entry) {
        return ModuleBaseOf(reinterpret_cast<const void*>(entry.second.procedure)) == base;
    });
    for (auto& [id, item] : host.items) {
        if (!host.callbacks.contains(item.execute)) item.execute = 0;
        if (!host.callbacks.contains(item.computeEnabled)) item.computeEnabled = 0;
    }
}

}  // namespace

std::string DefaultPluginsFolder() {
    return (std::filesystem::path(ProgramFolder()) / "plug_ins").string();
}

Viewer::Viewer(std::ostream& errors) : errors_(errors) { ResetHost(); }

Viewer::Viewer() : Viewer(std::cerr) {}

Viewer::~Viewer() { UnloadAll(); }

int Viewer::LoadPlugins(const std::string& folder) {
    std::vector<std::string> modules;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code ignored;
        if (entry->path().extension() == ".api" && entry->is_regular_file(ignored)) {
            modules.push_back(entry->path().string());
        }
    }
    if (error) {
        errors_ << folder << ": cannot read the plug-ins folder: " << error.message() << '\n';
        return 0;
    }
    std::sort(modules.begin(), modules.end());
    int loaded = 0;
    for (const std::string& module : modules) loaded += LoadPlugin(module) ? 1 : 0;
    return loaded;
}

bool Viewer::LoadPlugin(const std::string& path) {
    Plugin plugin;
    plugin.path = path;
    const auto fail = [&](const std::string& step) {
        if (plugin.unload != nullptr) {
            // Whatever its initialisation left in the menus goes before the module does.
            const auto unload = ProcedureOf<PIUnloadProc>(plugin.unload);
            if (unload != nullptr) Succeeds([&] { return unload() != 0; });
        }
        Close(plugin);
        errors_ << path << ": plug-in not loaded: " << step << '\n';
        return false;
    };

    std::string openError;
    plugin.handle = OpenModule(path, openError);
    if (plugin.handle == nullptr) return fail("cannot open it: " + openError);
    const auto main = reinterpret_cast<PlugInMainProc>(FindExport(plugin.handle, kPlugInMainName));
    plugin.base = main != nullptr ? ModuleBaseOf(reinterpret_cast<const void*>(main)) : nullptr;
    if (plugin.base == nullptr) return fail("it has no PlugInMain");

    std::uint32_t version = 0;
    PISetupProc setup = nullptr;
    if (!Succeeds([&] { return main(kHandshakeVersion, &version, &setup) != 0; }) ||
        setup == nullptr) {
        return fail("PlugInMain failed");
    }
    SetupRecord record{};
    record.handshakeVersion = version;
    record.extensionId = ExtensionIdentity();
    record.coreTable = CoreTable();
    if (!Succeeds([&] { return setup(version, &record) != 0; })) return fail("set-up failed");

    const auto handshake = ProcedureOf<PIHandshakeProc>(record.handshakeCallback);
    HandshakeRecord names{};
    std::memcpy(names.hostOwned, kHostOwned, sizeof kHostOwned);
    if (handshake == nullptr || !Succeeds([&] { return handshake(version, &names) != 0; })) {
        return fail("handshake failed");
    }
    plugin.unload = names.unloadCallback;

    const auto exportProc = ProcedureOf<PIExportProc>(names.exportCallback);
    if (names.exportCallback != nullptr &&
        (exportProc == nullptr || !Succeeds([&] { return exportProc() != 0; }))) {
        return fail("export failed");
    }
    const auto init = ProcedureOf<PIInitProc>(names.initCallback);
    if (names.initCallback != nullptr &&
        (init == nullptr || !Succeeds([&] { return init() != 0; }))) {
        return fail("initialisation failed");
    }
    plugins_.push_back(std::move(plugin));
    return true;
}

void Viewer::UnloadAll() {
    while (!plugins_.empty()) {
        Plugin& plugin = plugins_.back();
        if (const auto unload = ProcedureOf<PIUnloadProc>(plugin.unload)) {
            Succeeds([&] { return unload() != 0; });
        }
        Close(plugin);
        plugins_.pop_back();
    }
}

std::vector<std::string> Viewer::LoadedPlugins() const {
    std::vector<std::string> paths;
    for (const Plugin& plugin : plugins_) paths.push_back(plugin.path);
    return paths;
}

void Viewer::Close(Plugin& plugin) {
    if (plugin.base != nullptr) ForgetProceduresIn(plugin.base);
    if (plugin.handle != nullptr) CloseModule(plugin.handle);
    plugin.handle = nullptr;
    plugin.base = nullptr;
}

}  // namespace plenvo::hostapp
