// The built module, Plenvo.api, loaded as the viewer loads it: its export table, its
// handshake with the host, and its menus.

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "HostControl.h"
#include "Viewer.h"
#include "document/DocumentMetadata.h"
#include "headless/Headless.h"
#include "headless/UserDriver.h"
#include "host/HostCalls.h"
#include "support/HostFixture.h"
#include "support/PdfFactory.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"
#include "ui/resource.h"

namespace plenvo {
namespace {

using namespace plenvo::host;
using hostapp::PickResult;

const std::string kModule = PLENVO_MODULE_PATH;

// The module opened by hand, for the steps the viewer takes in one go. Closed at the end.
class OpenedModule {
public:
    OpenedModule() : handle_(::dlopen(kModule.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (handle_ == nullptr) throw std::runtime_error(::dlerror());
        main_ = reinterpret_cast<PlugInMainProc>(::dlsym(handle_, kPlugInMainName));
    }
    ~OpenedModule() { ::dlclose(handle_); }
    OpenedModule(const OpenedModule&) = delete;
    OpenedModule& operator=(const OpenedModule&) = delete;

    PlugInMainProc Main() const { return main_; }

    // PlugInMain, then set-up with the viewer's record; answers the set-up's answer.
    bool SetUp(SetupRecord& record) const {
        std::uint32_t version = 0;
        PISetupProc setup = nullptr;
        if (main_(kHandshakeVersion, &version, &setup) == 0 || setup == nullptr) return false;
        record = {version, hostapp::ExtensionIdentity(), hostapp::CoreTable(), nullptr};
        return setup(version, &record) != 0;
    }

private:
    void* handle_;
    PlugInMainProc main_ = nullptr;
};

template <class Proc>
Proc ProcedureOf(ASCallback callback) {
    return reinterpret_cast<Proc>(hostapp::CallbackProcedure(callback));
}

bool IsLoaded(const std::string& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) ::dlclose(handle);
    return handle != nullptr;
}

class ModuleTest : public test::HostTest {
protected:
    void TearDown() override {
        test::HostTest::TearDown();
        EXPECT_FALSE(IsLoaded(kModule)) << "the module was left loaded";
    }
};

TEST_F(ModuleTest, ExportsPlugInMainAndNothingElse) {
    const test::ToolResult symbols = test::RunTool({"nm", "-D", "--defined-only", kModule});
    ASSERT_EQ(symbols.exitCode, 0) << symbols.output;
    std::istringstream lines(symbols.output);
    std::vector<std::string> names;
    for (std::string address, type, name; lines >> address >> type >> name;) names.push_back(name);
    EXPECT_EQ(names, std::vector<std::string>{"PlugInMain"});
}

TEST_F(ModuleTest, EntryAnswersTheHostsVersionCappedAtTwoAndOnlyTwoSetsUp) {
    struct Case {
        std::uint32_t host;
        std::uint32_t answered;
        bool setUp;
    };
    const OpenedModule module;
    for (const Case c : {Case{0x30000, 0x20000, true}, Case{0x20001, 0x20000, true},
                         Case{0x20000, 0x20000, true}, Case{0x10000, 0x10000, false},
                         Case{0, 0, false}}) {
        SCOPED_TRACE(c.host);
        std::uint32_t answered = 0xdead;
        PISetupProc setup = nullptr;
        EXPECT_NE(module.Main()(c.host, &answered, &setup), 0);
        EXPECT_EQ(answered, c.answered);
        ASSERT_NE(setup, nullptr);
        SetupRecord record{answered, hostapp::ExtensionIdentity(), hostapp::CoreTable(), nullptr};
        EXPECT_EQ(setup(answered, &record) != 0, c.setUp);
        EXPECT_EQ(record.handshakeCallback != nullptr, c.setUp);
    }
}

TEST_F(ModuleTest, SetupWithARecordOfAnotherVersionAsksTheHostNothing) {
    const OpenedModule module;
    std::uint32_t version = 0;
    PISetupProc setup = nullptr;
    module.Main()(kHandshakeVersion, &version, &setup);
    hostapp::ClearCallRecord();
    SetupRecord record{0x10000, hostapp::ExtensionIdentity(), hostapp::CoreTable(), nullptr};
    EXPECT_EQ(setup(kHandshakeVersion, &record), 0);
    EXPECT_EQ(record.handshakeCallback, nullptr);
    EXPECT_TRUE(hostapp::CallTrace().empty());
}

std::vector<hostapp::TableRequest> Requests(
    std::initializer_list<std::pair<const char*, ASVersion>> asked, bool granted = true) {
    std::vector<hostapp::TableRequest> requests;
    for (const auto& [name, version] : asked) requests.push_back({name, version, granted});
    return requests;
}

// The request list in its order, at its versions, after "AcroSupport" at 6.0 and 8.0.
const std::vector<hostapp::TableRequest> kAllRequests = Requests({
    {"AcroSupport", 0x60000}, {"AcroSupport", 0x80000}, {"Core", 0x50000},
    {"Cos", 0x60000},         {"PDModel", 0x60000},     {"PDFEditWrite", 0x60000},
    {"PDFEditRead", 0x60000}, {"PDSysFont", 0x40000},   {"PagePDEContent", 0x60000},
    {"AcroView", 0x60000},    {"PDSWrite", 0x60000},    {"PDSRead", 0x60000},
    {"Win", 0x50000},         {"ASExtra", 0x60000},
});

std::vector<hostapp::TableRequest> Concat(std::vector<hostapp::TableRequest> head,
                                          const std::vector<hostapp::TableRequest>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

std::vector<hostapp::TableRequest> FirstRequests(std::size_t count) {
    return {kAllRequests.begin(), kAllRequests.begin() + static_cast<std::ptrdiff_t>(count)};
}

TEST_F(ModuleTest, SetupAsksForEveryTableAndFailsWithoutOne) {
    struct Case {
        const char* label;
        std::function<void()> configure;
        bool setUp;
        std::vector<hostapp::TableRequest> requests;
    };
    const Case cases[] = {
        {"every table at its version", [] {}, true, kAllRequests},
        {"Core only at 5.1", [] { hostapp::RefuseTableAt("Core", 0x50000); }, true,
         Concat(Concat(FirstRequests(2), Requests({{"Core", 0x50000}}, false)),
                Concat(Requests({{"Core", 0x50001}}),
                       {kAllRequests.begin() + 3, kAllRequests.end()}))},
        {"no PDSysFont", [] { hostapp::RefuseTable("PDSysFont"); }, false,
         Concat(FirstRequests(7), Requests({{"PDSysFont", 0x40000},
                                            {"PDSysFont", 0x50001},
                                            {"PDSysFont", 0x50000},
                                            {"PDSysFont", 0x40005},
                                            {"PDSysFont", 0x40000}},
                                           false))},
        {"PDModel at version 0", [] { hostapp::ReportTableVersion("PDModel", 0); }, false,
         FirstRequests(5)},
        {"no AcroSupport at 8.0", [] { hostapp::RefuseTableAt("AcroSupport", 0x80000); }, false,
         Concat(FirstRequests(1), Requests({{"AcroSupport", 0x80000}}, false))},
        {"AcroSupport of a version the host cannot tell",
         [] { hostapp::ReportTableVersion("AcroSupport", kUnknownVersion); }, false,
         Concat(FirstRequests(2), Requests({{"Core", 0x50001}}))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        test::InstallHost();
        c.configure();
        const OpenedModule module;
        SetupRecord record{};
        EXPECT_EQ(module.SetUp(record), c.setUp);
        EXPECT_EQ(hostapp::TableRequests(), c.requests);
    }
}

TEST_F(ModuleTest, HandshakeNamesThePluginAndRegistersItsCallbacks) {
    const OpenedModule module;
    SetupRecord setup{};
    ASSERT_TRUE(module.SetUp(setup));
    const auto handshake = ProcedureOf<PIHandshakeProc>(setup.handshakeCallback);
    ASSERT_NE(handshake, nullptr);

    HandshakeRecord record;
    std::memset(&record, 0xAB, sizeof record);
    HandshakeRecord untouched;
    std::memcpy(&untouched, &record, sizeof record);
    EXPECT_EQ(handshake(0x20001, &record), 0);
    EXPECT_EQ(std::memcmp(&record, &untouched, sizeof record), 0);

    ASSERT_NE(handshake(kHandshakeVersion, &record), 0);
    EXPECT_EQ(std::memcmp(record.hostOwned, untouched.hostOwned, sizeof record.hostOwned), 0);
    EXPECT_EQ(record.extensionName, ASAtomFromString("CORVIX_Plenvo"));
    EXPECT_EQ(record.importReplaceRegisterCallback, nullptr);
    const auto exportProc = ProcedureOf<PIExportProc>(record.exportCallback);
    ASSERT_NE(exportProc, nullptr);
    EXPECT_NE(exportProc(), 0);

    const auto init = ProcedureOf<PIInitProc>(record.initCallback);
    const auto unload = ProcedureOf<PIUnloadProc>(record.unloadCallback);
    ASSERT_NE(init, nullptr);
    ASSERT_NE(unload, nullptr);
    ASSERT_NE(init(), 0);
    EXPECT_EQ(hostapp::ShownMenuItemName("TDM Reservation..."), "CORVIX_Plenvo:Single");

    // A second unload finds nothing left to remove.
    EXPECT_NE(unload(), 0);
    EXPECT_EQ(hostapp::MenuItemNames("CORVIX_Plenvo:Menu"), std::vector<std::string>{});
    EXPECT_EQ(hostapp::MenuItemNames("CorvixSubMenu"),
              std::vector<std::string>{"CORVIX_Plenvo:Parent"});
    hostapp::ClearCallRecord();
    EXPECT_NE(unload(), 0);
    EXPECT_TRUE(hostapp::CallTrace().empty());
}

// Watches ShellExecuteA instead of letting it start a browser.
class ShellWatch {
public:
    ShellWatch() {
        headless::SetShellHook([this](const headless::ShellRequest& request) {
            files.push_back(request.verb + " " + request.file);
            return INT_PTR{42};
        });
    }
    ~ShellWatch() { headless::SetShellHook({}); }
    ShellWatch(const ShellWatch&) = delete;
    ShellWatch& operator=(const ShellWatch&) = delete;

    std::vector<std::string> files;
};

// The module loaded by the stand-in viewer, which reports to `errors`.
class LoadedModuleTest : public ModuleTest {
protected:
    void TearDown() override {
        viewer.UnloadAll();
        ModuleTest::TearDown();
    }

    std::ostringstream errors;
    hostapp::Viewer viewer{errors};
};

TEST_F(LoadedModuleTest, BuildsItsTreeUnderTheMakersSubmenuInExtensions) {
    ASSERT_TRUE(viewer.LoadPlugin(kModule)) << errors.str();
    EXPECT_EQ(hostapp::MenuItemNames("Extensions"), std::vector<std::string>{"Corvix"});
    EXPECT_EQ(hostapp::MenuItemTitle("Corvix"), "Corvix");
    EXPECT_EQ(hostapp::MenuTitle("CorvixSubMenu"), "Corvix");
    EXPECT_EQ(hostapp::MenuItemNames("CorvixSubMenu"),
              std::vector<std::string>{"CORVIX_Plenvo:Parent"});
    EXPECT_EQ(hostapp::MenuItemTitle("CORVIX_Plenvo:Parent"), "TDM Reservation");
    EXPECT_EQ(hostapp::MenuTitle("CORVIX_Plenvo:Menu"), "TDM Reservation");
    EXPECT_EQ(hostapp::MenuItemNames("CORVIX_Plenvo:Menu"),
              (std::vector<std::string>{"CORVIX_Plenvo:Single", "CORVIX_Plenvo:Batch",
                                        "CORVIX_Plenvo:Help"}));
    EXPECT_EQ(hostapp::ShownMenuItemName("TDM Reservation..."), "CORVIX_Plenvo:Single");
    EXPECT_EQ(hostapp::ShownMenuItemName("TDM Reservation (Batch)..."), "CORVIX_Plenvo:Batch");
    EXPECT_EQ(hostapp::ShownMenuItemName("Plenvo Help"), "CORVIX_Plenvo:Help");
    // Nothing borrowed from the host is kept; what the host shows stays the plug-in's.
    EXPECT_EQ(hostapp::MenuAcquisitions("Extensions"), 0);
    EXPECT_EQ(errors.str(), "");

    viewer.UnloadAll();
    EXPECT_EQ(hostapp::MenuItemNames("CORVIX_Plenvo:Menu"), std::vector<std::string>{});
    EXPECT_EQ(hostapp::ShownMenuItemName("Plenvo Help"), "");
}

TEST_F(LoadedModuleTest, SingleDocumentCommandIsGreyedWithoutADocument) {
    ASSERT_TRUE(viewer.LoadPlugin(kModule)) << errors.str();
    EXPECT_FALSE(hostapp::IsMenuItemEnabled("CORVIX_Plenvo:Single"));
    EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation..."), PickResult::kGreyed);
    EXPECT_TRUE(hostapp::IsMenuItemEnabled("CORVIX_Plenvo:Batch"));
    EXPECT_TRUE(hostapp::IsMenuItemEnabled("CORVIX_Plenvo:Help"));

    test::TempDir dir;
    const std::string path = dir.File("open.pdf");
    test::WriteBytes(path, test::MakePdf({}));
    const AVDoc view = hostapp::OpenView(path);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(hostapp::IsMenuItemEnabled("CORVIX_Plenvo:Single"));
    hostapp::CloseView(view);
    EXPECT_FALSE(hostapp::IsMenuItemEnabled("CORVIX_Plenvo:Single"));
}

TEST_F(LoadedModuleTest, HelpCommandOpensTheUserGuide) {
    ASSERT_TRUE(viewer.LoadPlugin(kModule)) << errors.str();
    const ShellWatch shell;
    EXPECT_EQ(hostapp::PickMenuItem("Plenvo Help"), PickResult::kRan);
    EXPECT_EQ(shell.files, std::vector<std::string>{
                               std::string("open ") + PLENVO_HELP_BASE_ADDRESS +
                               "Plenvo-User-Guide.html"});
}

// The dialogs come from the module's own templates, are owned by the viewer's main
// window, and caption their messages with the module's name.
TEST_F(LoadedModuleTest, CommandsRunTheModulesDialogs) {
    const testing::TempFolder home;
    const testing::ScopedEnv config("XDG_CONFIG_HOME", home.Path().c_str());
    ASSERT_TRUE(viewer.LoadPlugin(kModule)) << errors.str();
    const HWND mainWindow = hostapp::MainWindow();
    test::TempDir dir;
    const std::string path = dir.File("open.pdf");
    test::WriteBytes(path, test::MakePdf({}));
    const AVDoc view = hostapp::OpenView(path);
    ASSERT_NE(view, nullptr);
    const ShellWatch shell;

    headless::ScriptedDriver driver;
    driver
        .Then([&](HWND dialog) {
            EXPECT_EQ(headless::Caption(dialog), "TDM Reservation (Text and Data Mining)");
            EXPECT_FALSE(IsWindowEnabled(mainWindow));
            EXPECT_TRUE(headless::Click(dialog, IDC_APPLY));
        })
        .Then([](HWND box) {
            const headless::MessageBoxView message = headless::ReadMessageBox(box);
            EXPECT_EQ(message.caption, "Plenvo");
            EXPECT_EQ(message.text,
                      "TDMRep metadata applied successfully.\n\nRemember to save the document.");
            EXPECT_TRUE(headless::AnswerMessageBox(box, IDOK));
        })
        .Then([](HWND dialog) { EXPECT_TRUE(headless::Click(dialog, IDCANCEL)); })
        .Then([](HWND dialog) {
            EXPECT_EQ(headless::Caption(dialog),
                      "TDM Reservation (Text and Data Mining) - Batch Processing");
            EXPECT_TRUE(headless::Click(dialog, IDC_BATCH_HELP));
            EXPECT_TRUE(headless::Click(dialog, IDCANCEL));
        });
    {
        const headless::DriverScope scope(driver);
        EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation..."), PickResult::kRan);
        EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation (Batch)..."), PickResult::kRan);
    }
    EXPECT_EQ(driver.Remaining(), 0u);
    EXPECT_TRUE(headless::TakeStalls().empty());
    EXPECT_TRUE(IsWindowEnabled(mainWindow));

    ReservationRecord record;
    EXPECT_TRUE(ReadDocumentReservation(AVDocGetPDDoc(view), record));
    EXPECT_EQ(record.reservation, 1);
    EXPECT_EQ(shell.files, std::vector<std::string>{std::string("open ") +
                                                    PLENVO_HELP_BASE_ADDRESS + "Plenvo-Batch.html"});
    hostapp::CloseView(view);
}

// Made through the host's tables, as another plug-in makes them, and released again.
void AddItem(const char* menuName, const char* title, const char* name, bool withSubmenu,
             const char* submenuName = "") {
    const ASExtension owner = hostapp::ExtensionIdentity();
    const AVMenu menu = AVMenubarAcquireMenuByName(AVAppGetMenubar(), menuName);
    const AVMenu submenu = withSubmenu ? AVMenuNew(title, submenuName, owner) : nullptr;
    const AVMenuItem item = AVMenuItemNew(title, name, submenu, false, 0, 0, nullptr, owner);
    AVMenuAddMenuItem(menu, item, kAVMenuAppend);
    if (submenu != nullptr) {
        const AVMenuItem inside =
            AVMenuItemNew("Other", "Other", nullptr, false, 0, 0, nullptr, owner);
        AVMenuAddMenuItem(submenu, inside, kAVMenuAppend);
        AVMenuItemRelease(inside);
        AVMenuRelease(submenu);
    }
    AVMenuItemRelease(item);
    AVMenuRelease(menu);
}

TEST_F(LoadedModuleTest, MakerItemIsFoundByNameNotByTitle) {
    struct Case {
        const char* label;
        const char* existingName;
        const char* existingSubmenu;
        std::vector<std::string> extensions;
        std::vector<std::string> makerMenu;
    };
    const Case cases[] = {
        {"a Corvix item of the same maker is reused", "Corvix", "CorvixSubMenu", {"Corvix"},
         {"Other", "CORVIX_Plenvo:Parent"}},
        {"a Corvix title under another name is not", "SomeoneElse", "SomeoneElseMenu",
         {"SomeoneElse", "Corvix"}, {"CORVIX_Plenvo:Parent"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        hostapp::ResetHost();
        AddItem("Extensions", "Corvix", c.existingName, true, c.existingSubmenu);
        ASSERT_TRUE(viewer.LoadPlugin(kModule)) << errors.str();
        EXPECT_EQ(hostapp::MenuItemNames("Extensions"), c.extensions);
        EXPECT_EQ(hostapp::MenuItemNames("CorvixSubMenu"), c.makerMenu);
        // The other plug-in's item and submenu were borrowed and given back.
        EXPECT_EQ(hostapp::MenuAcquisitions(c.existingName), 0);
        EXPECT_EQ(hostapp::MenuAcquisitions(c.existingSubmenu), 0);
        EXPECT_EQ(hostapp::ShownMenuItemName("TDM Reservation..."), "CORVIX_Plenvo:Single");
        viewer.UnloadAll();
    }
}

TEST_F(LoadedModuleTest, InitialisationFailsWithoutAPlaceForTheTree) {
    struct Case {
        const char* label;
        std::function<void()> configure;
        std::vector<std::string> extensions;
        bool commandsMenuMade;
    };
    const Case cases[] = {
        {"no Extensions menu", [] { hostapp::RemoveMenubarMenu("Extensions"); }, {}, false},
        {"the host makes no maker submenu", [] { hostapp::AnswerNull("AVMenuNew", 1); }, {},
         false},
        {"the maker item there has no submenu",
         [] { AddItem("Extensions", "Corvix", "Corvix", false); }, {"Corvix"}, false},
        {"the host makes no batch item", [] { hostapp::AnswerNull("AVMenuItemNew", 3); },
         {"Corvix"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        hostapp::ResetHost();
        c.configure();
        errors.str("");
        EXPECT_FALSE(viewer.LoadPlugin(kModule));
        EXPECT_EQ(errors.str(), kModule + ": plug-in not loaded: initialisation failed\n");
        EXPECT_EQ(hostapp::MenuItemNames("Extensions"), c.extensions);
        EXPECT_EQ(hostapp::MenuTitle("CORVIX_Plenvo:Menu") != "", c.commandsMenuMade);
        for (const char* title : {"TDM Reservation", "TDM Reservation...", "Plenvo Help"}) {
            EXPECT_EQ(hostapp::ShownMenuItemName(title), "") << title;
        }
        EXPECT_EQ(hostapp::ExecuteMenuItem("CORVIX_Plenvo:Single"), false);
        EXPECT_EQ(hostapp::MenuAcquisitions("Extensions"), 0);
        EXPECT_FALSE(IsLoaded(kModule));
    }
}

}  // namespace
}  // namespace plenvo
