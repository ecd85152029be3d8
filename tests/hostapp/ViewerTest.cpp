// The stand-in viewer loading plug-in modules from a folder: the real module, copies of
// it, and files that are no plug-ins.

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "HostControl.h"
#include "HostErrors.h"
#include "Viewer.h"
#include "support/HostFixture.h"
#include "support/TestFiles.h"

namespace plenvo::hostapp {
namespace {

namespace fs = std::filesystem;

bool IsLoaded(const std::string& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) ::dlclose(handle);
    return handle != nullptr;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class ViewerTest : public test::HostTest {
protected:
    // A copy of a built module in the test's plug-ins folder.
    std::string Install(const std::string& built, const std::string& name) const {
        const std::string path = dir.File(name);
        fs::copy_file(built, path);
        return path;
    }
    std::string InstallPlenvo(const std::string& name) const {
        return Install(PLENVO_MODULE_PATH, name);
    }

    test::TempDir dir;
    std::ostringstream errors;
};

TEST_F(ViewerTest, LoadsEachApiModuleOfTheFolderAndGoesOnPastOnesThatFail) {
    const std::string first = InstallPlenvo("A.api");
    const std::string broken = dir.File("B-broken.api");
    test::WriteBytes(broken, "not a module");
    const std::string noEntry = Install(PLENVO_NO_ENTRY_MODULE_PATH, "C-no-entry.api");
    const std::string second = InstallPlenvo("D.api");
    InstallPlenvo("E.api.bak");
    test::WriteBytes(dir.File("notes.txt"), "");
    fs::create_directory(dir.File("F.api"));

    Viewer viewer(errors);
    EXPECT_EQ(viewer.LoadPlugins(dir.Path()), 2);
    EXPECT_EQ(viewer.LoadedPlugins(), (std::vector<std::string>{first, second}));
    const std::vector<std::string> reported = Lines(errors.str());
    ASSERT_EQ(reported.size(), 2u) << errors.str();
    EXPECT_TRUE(reported[0].starts_with(broken + ": plug-in not loaded: cannot open it: "))
        << reported[0];
    EXPECT_EQ(reported[1], noEntry + ": plug-in not loaded: it has no PlugInMain");
    EXPECT_FALSE(IsLoaded(broken));
    EXPECT_FALSE(IsLoaded(noEntry));

    // Two plug-ins of one maker share its submenu, in the order they were loaded.
    EXPECT_EQ(MenuItemNames("Extensions"), std::vector<std::string>{"Corvix"});
    EXPECT_EQ(MenuItemNames("CorvixSubMenu"),
              (std::vector<std::string>{"CORVIX_Plenvo:Parent", "CORVIX_Plenvo:Parent"}));

    viewer.UnloadAll();
    EXPECT_TRUE(viewer.LoadedPlugins().empty());
    EXPECT_FALSE(IsLoaded(first));
    EXPECT_FALSE(IsLoaded(second));
    EXPECT_EQ(ShownMenuItemName("TDM Reservation..."), "");
}

TEST_F(ViewerTest, PluginFailingAStepIsReportedClosedAndCanBeLoadedAgain) {
    struct Case {
        const char* step;
        std::function<void()> configure;
    };
    const Case cases[] = {
        {"set-up failed", [] { RefuseTable("PDSysFont"); }},
        // The first callback is set-up's handshake callback; the second is the handshake's.
        {"handshake failed", [] { FailCall("ASCallbackCreate", 2, kErrNoMemory); }},
        {"initialisation failed", [] { RemoveMenubarMenu("Extensions"); }},
    };
    const std::string plugin = InstallPlenvo("Plenvo.api");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        errors.str("");
        Viewer viewer(errors);
        c.configure();
        EXPECT_FALSE(viewer.LoadPlugin(plugin));
        EXPECT_EQ(errors.str(), plugin + ": plug-in not loaded: " + c.step + "\n");
        EXPECT_TRUE(viewer.LoadedPlugins().empty());
        EXPECT_FALSE(IsLoaded(plugin));
        EXPECT_EQ(CountOpen().frames, 0);

        ResetHost();
        EXPECT_TRUE(viewer.LoadPlugin(plugin)) << errors.str();
        EXPECT_EQ(ShownMenuItemName("TDM Reservation..."), "CORVIX_Plenvo:Single");
    }
    EXPECT_FALSE(IsLoaded(plugin));
}

// An item the plug-in could not take out at unload still stands; the closed module must
// not be called through it.
TEST_F(ViewerTest, ItemLeftBehindByAClosedModuleRunsNothing) {
    const std::string plugin = InstallPlenvo("Plenvo.api");
    Viewer viewer(errors);
    ASSERT_TRUE(viewer.LoadPlugin(plugin)) << errors.str();
    FailCall("AVMenuItemRemove", 1, kErrGeneral);
    viewer.UnloadAll();
    EXPECT_FALSE(IsLoaded(plugin));
    EXPECT_EQ(ShownMenuItemName("TDM Reservation..."), "CORVIX_Plenvo:Single");
    EXPECT_EQ(PickMenuItem("TDM Reservation..."), PickResult::kNoProcedure);
    EXPECT_EQ(ShownMenuItemName("Plenvo Help"), "");
}

TEST_F(ViewerTest, PluginsFolderIsBesideTheProgramAndMayBeMissing) {
    EXPECT_EQ(DefaultPluginsFolder(),
              (fs::read_symlink("/proc/self/exe").parent_path() / "plug_ins").string());
    Viewer viewer(errors);
    const std::string missing = dir.File("plug_ins");
    EXPECT_EQ(viewer.LoadPlugins(missing), 0);
    const std::vector<std::string> reported = Lines(errors.str());
    ASSERT_EQ(reported.size(), 1u) << errors.str();
    EXPECT_TRUE(reported[0].starts_with(missing + ": cannot read the plug-ins folder: "))
        << reported[0];
}

}  // namespace
}  // namespace plenvo::hostapp
