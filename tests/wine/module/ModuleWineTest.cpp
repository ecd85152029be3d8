// The Windows module, Plenvo.api, loaded by the stand-in viewer as the real one loads it
// (LoadLibraryA, PlugInMain, set-up, handshake, initialisation), its commands picked from
// the viewer's menus and its dialogs driven through real window messages under Wine.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "HostControl.h"
#include "HostControl_memory.h"
#include "HostErrors.h"
#include "Viewer.h"
#include "ViewerMenubar.h"
#include "support/BatchTexts.h"
#include "support/BrowserStandIn.h"
#include "support/DialogTemplates.h"
#include "support/UserActions.h"
#include "support/WindowScript.h"
#include "ui/resource.h"
#include "xmp/XmpReader.h"
#include "xmp/XmpWriter.h"

namespace plenvo {
namespace {

using namespace plenvo::wine;
using test::ApplyQuestion;
using test::RemoveQuestion;
using test::Summary;
using hostapp::PickResult;
using Rows = std::vector<std::vector<std::string>>;

// The module's file name makes the application's name, the caption of its messages.
constexpr const char* kAppName = "Plenvo";
constexpr const char* kSingleCaption = "TDM Reservation (Text and Data Mining)";
constexpr const char* kBatchCaption = "TDM Reservation (Text and Data Mining) - Batch Processing";
// The title Wine gives the file-open dialog when the caller gives none.
constexpr const char* kPickerCaption = "Open";
const std::string kPolicy = "https://example.com/tdm-policy.json";
const std::string kHelpBase = PLENVO_HELP_BASE_ADDRESS;

// Drive T: is an empty folder the Wine runner maps for each program.
const std::string kDocs = "T:\\Docs";

std::string DocPath(const std::string& name) { return kDocs + "\\" + name; }

// A document the viewer holds at `path`, and a file of that name for the shell's pickers
// to show: the viewer's documents live in memory, the pickers look at the disk.
void MakeDocument(const std::string& path, std::optional<std::string> metadata = std::nullopt) {
    hostapp::StoreDocument(path, {std::move(metadata)});
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

std::string Stamped(int reservation, const std::string& policy) {
    return InsertTdmDescriptions("", reservation, policy, true);
}

// What the stored document at `path` holds of TDMRep, as the plug-in reads it:
// "Reservation: 1\nPolicy: ...\n", without the policy line when there is none, or "".
std::string StoredTdm(const std::string& path) {
    const auto document = hostapp::StoredDocument(path);
    if (!document || !document->metadata) return "";
    const ReservationRecord record = ParseReservation(*document->metadata);
    if (record.reservation < 0) return "";
    std::string text = "Reservation: " + std::to_string(record.reservation) + "\n";
    if (!record.policy.empty()) text += "Policy: " + record.policy + "\n";
    return text;
}

// A step for a message box of the module: its caption, text and kind, then `button`.
WindowScript::Step Expect(const std::string& text, LPCSTR icon, int button = IDOK) {
    return [=](HWND box) {
        ASSERT_TRUE(IsMessageBox(box));
        const MessageBoxView view = ReadMessageBox(box);
        EXPECT_EQ(view.caption, kAppName);
        EXPECT_EQ(view.text, text);
        EXPECT_EQ(view.icon, icon);
        const std::vector<int> buttons = icon == IDI_QUESTION ? std::vector<int>{IDYES, IDNO} : std::vector<int>{IDOK};
        EXPECT_EQ(view.buttons, buttons);
        EXPECT_TRUE(AnswerMessageBox(box, button));
    };
}

class ModuleWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Each test starts from the settings defaults and an empty store.
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvix\\Plenvo");
        hostapp::RemoveStoredDocuments();
        CreateDirectoryA(kDocs.c_str(), nullptr);
        mainWindow = hostapp::MainWindow();
        ASSERT_NE(mainWindow, nullptr);
        ASSERT_EQ(viewer.LoadPlugins(hostapp::DefaultPluginsFolder()), 1) << errors.str();
    }

    void TearDown() override {
        EXPECT_EQ(script.Remaining(), 0u) << "the script was not played to its end";
        EXPECT_EQ(script.TakeStalls(), std::vector<std::string>{});
        EXPECT_TRUE(IsWindowEnabled(mainWindow)) << "the viewer works again after the dialogs";
        for (host::AVDoc view : views) hostapp::CloseView(view);
        EXPECT_EQ(hostapp::CountOpen(), hostapp::OpenCounts{}) << "a host handle was left open";
        EXPECT_EQ(errors.str(), "");
    }

    host::AVDoc OpenView(const std::string& path) {
        const host::AVDoc view = hostapp::OpenView(path);
        EXPECT_NE(view, nullptr) << path;
        views.push_back(view);
        return view;
    }

    // Steps that add files through the batch dialog's Add Files... and the real picker.
    void AddFiles(const std::vector<std::string>& names) {
        script.Then(kBatchCaption, [](HWND d) { EXPECT_TRUE(Click(d, IDC_ADD_FILES)); });
        script.Then(kPickerCaption, [names](HWND picker) {
            ASSERT_TRUE(IsFilePicker(picker));
            EXPECT_TRUE(ChooseFiles(picker, kDocs, names));
        });
    }
    void Then(WindowScript::Step step) { script.Then(kBatchCaption, std::move(step)); }
    void Press(int id) {
        Then([id](HWND d) { EXPECT_TRUE(Click(d, id)); });
    }
    void Message(const std::string& text, LPCSTR icon, int button = IDOK) {
        script.Then(kAppName, Expect(text, icon, button));
    }

    std::ostringstream errors;
    hostapp::Viewer viewer{errors};
    WindowScript script;
    HWND mainWindow = nullptr;
    std::vector<host::AVDoc> views;
};

TEST_F(ModuleWineTest, TheModuleStandsInTheMenusUntilItIsUnloaded) {
    EXPECT_EQ(hostapp::ShownMenuItemName("TDM Reservation..."), "CORVIX_Plenvo:Single");
    EXPECT_EQ(hostapp::ShownMenuItemName("TDM Reservation (Batch)..."), "CORVIX_Plenvo:Batch");
    EXPECT_EQ(hostapp::ShownMenuItemName("Plenvo Help"), "CORVIX_Plenvo:Help");
    EXPECT_FALSE(hostapp::IsMenuItemEnabled("CORVIX_Plenvo:Single")) << "greyed without a document";
    MakeDocument(DocPath("open.pdf"));
    OpenView(DocPath("open.pdf"));
    EXPECT_TRUE(hostapp::IsMenuItemEnabled("CORVIX_Plenvo:Single"));

    viewer.UnloadAll();
    EXPECT_EQ(hostapp::ShownMenuItemName("Plenvo Help"), "");
    EXPECT_EQ(GetModuleHandleA("Plenvo.api"), nullptr) << "the module was freed";
    ASSERT_EQ(viewer.LoadPlugins(hostapp::DefaultPluginsFolder()), 1) << "and loads again";
    EXPECT_EQ(hostapp::ShownMenuItemName("Plenvo Help"), "CORVIX_Plenvo:Help");
}

std::vector<std::string> MenuTitles(HMENU menu) {
    std::vector<std::string> titles;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        char title[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), title, sizeof title, MF_BYPOSITION);
        titles.emplace_back(title);
    }
    return titles;
}

// The submenu reached from `menu` through the items of these titles; null when none.
HMENU Submenu(HMENU menu, const std::vector<std::string>& path) {
    for (const std::string& title : path) {
        const std::vector<std::string> titles = MenuTitles(menu);
        const auto found = std::find(titles.begin(), titles.end(), title);
        if (found == titles.end()) return nullptr;
        menu = GetSubMenu(menu, static_cast<int>(found - titles.begin()));
    }
    return menu;
}

bool IsGreyed(HMENU menu, int position) {
    return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED) != 0;
}

// The viewer's real menu bar, as a person uses it: the plug-in's items where it put them,
// greyed as it answers when their menu opens, and run when picked.
TEST_F(ModuleWineTest, TheViewersMenuBarShowsAndRunsThePluginsItems) {
    hostapp::ShowMenubar(mainWindow);
    const auto commands = [&] { return Submenu(GetMenu(mainWindow), {"Extensions", "Corvix", "TDM Reservation"}); };
    HMENU menu = commands();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuTitles(menu), (std::vector<std::string>{"TDM Reservation...", "TDM Reservation (Batch)...", "Plenvo Help"}));
    SendMessageA(mainWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_TRUE(IsGreyed(menu, 0)) << "no document is open";
    EXPECT_FALSE(IsGreyed(menu, 1));

    MakeDocument(DocPath("open.pdf"));
    OpenView(DocPath("open.pdf"));
    menu = commands();
    SendMessageA(mainWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_FALSE(IsGreyed(menu, 0));
    script.Then(kSingleCaption, [&](HWND d) {
        EXPECT_EQ(GetWindow(d, GW_OWNER), mainWindow);
        EXPECT_TRUE(PressKey(d, VK_ESCAPE));
    });
    script.Then(kBatchCaption, [](HWND d) { EXPECT_TRUE(PressKey(d, VK_ESCAPE)); });
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(GetMenuItemID(menu, 0), 0), 0);
    // The bar was made again after the command.
    menu = commands();
    ASSERT_NE(menu, nullptr);
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(GetMenuItemID(menu, 1), 0), 0);
}

// The window rectangle of a control in its dialog's client coordinates.
RECT PlaceOf(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The styles each window was made with, as the dialog manager asked for them. The
// controls change their own styles afterwards (a combo box drops WS_VSCROLL, a progress
// bar its border), which is their doing, not the template's.
struct MadeWith {
    DWORD style = 0;
    DWORD exStyle = 0;
};
std::map<HWND, MadeWith> g_madeWith;

LRESULT CALLBACK RecordCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        g_madeWith[reinterpret_cast<HWND>(wParam)] = {static_cast<DWORD>(create->style), create->dwExStyle};
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void ExpectTemplateItems(HWND dialog, const test::TemplateView& expected) {
    EXPECT_EQ(Caption(dialog), expected.caption);
    const auto style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(style & frame, frame);
    RECT size{0, 0, expected.width, expected.height};
    MapDialogRect(dialog, &size);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    ASSERT_EQ(children.size(), expected.items.size());
    for (std::size_t i = 0; i < children.size(); ++i) {
        const test::TemplateItem& want = expected.items[i];
        SCOPED_TRACE(want.text + " " + std::to_string(want.id));
        HWND child = children[i];
        EXPECT_EQ(ClassName(child), want.className);
        EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(child)), static_cast<WORD>(want.id));
        EXPECT_EQ(Caption(child), want.text);
        // The dialog manager makes every control with WS_EX_NOPARENTNOTIFY and, for the
        // 3-D look of a DIALOGEX template, draws a border as the sunken client edge; so
        // does Windows.
        DWORD wantStyle = want.style;
        DWORD wantExStyle = want.exStyle | WS_EX_NOPARENTNOTIFY;
        if ((wantStyle & WS_BORDER) != 0) {
            wantStyle &= ~static_cast<DWORD>(WS_BORDER);
            wantExStyle |= WS_EX_CLIENTEDGE;
        }
        const MadeWith made = g_madeWith[child];
        EXPECT_EQ(made.style, wantStyle) << std::hex << (made.style ^ wantStyle);
        EXPECT_EQ(made.exStyle, wantExStyle) << std::hex << (made.exStyle ^ wantExStyle);

        // The dialog manager maps position and size each on its own, as MapDialogRect does.
        RECT place = want.unitRect;
        MapDialogRect(dialog, &place);
        const RECT shown = PlaceOf(dialog, child);
        EXPECT_EQ(shown.left, place.left);
        EXPECT_EQ(shown.top, place.top);
        EXPECT_EQ(shown.right - shown.left, place.right);
        // A drop-down list is as high as its closed box; the template gives its open height.
        if (want.className != "ComboBox") {
            EXPECT_EQ(shown.bottom - shown.top, place.bottom);
        }
    }
}

// The templates as the module holds them, made into dialogs by the system's dialog manager
// alone; the commands' dialogs are made from the same ones.
TEST_F(ModuleWineTest, BothDialogsComeUpFromTheModulesTemplates) {
    HMODULE module = GetModuleHandleA("Plenvo.api");
    ASSERT_NE(module, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_CBT, &RecordCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    for (const test::TemplateView& expected : {test::kSingleTemplate, test::kBatchTemplate}) {
        SCOPED_TRACE(expected.caption);
        script.Then(expected.caption, [&](HWND d) {
            ExpectTemplateItems(d, expected);
            EXPECT_TRUE(PressKey(d, VK_ESCAPE));
        });
        EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(expected.id), mainWindow, &test::CancelOnly, 0), IDCANCEL);
    }
    UnhookWindowsHookEx(hook);
}

// Enter runs the default button from whatever control holds the focus, other push
// buttons aside; Escape closes without applying anything.
TEST_F(ModuleWineTest, EnterRunsTheDefaultButtonAndEscapeCloses) {
    const std::string path = DocPath("keys.pdf");
    MakeDocument(path);
    const host::AVDoc view = OpenView(path);
    script.Then(kSingleCaption, [&](HWND d) {
        EXPECT_EQ(GetWindow(d, GW_OWNER), mainWindow) << "owned by the viewer's window";
        EXPECT_FALSE(IsWindowEnabled(mainWindow));
        EXPECT_TRUE(PickEntry(d, IDC_RESERVATION, 1));
        EXPECT_TRUE(TypeText(d, IDC_POLICY, kPolicy));
        EXPECT_EQ(FocusedId(d), IDC_POLICY);
        EXPECT_TRUE(PressKey(d, VK_RETURN));
    });
    Message("TDMRep metadata applied successfully.\n\nRemember to save the document.", IDI_ASTERISK);
    script.Then(kSingleCaption, [&](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS_RESERVATION), "Reserved") << "the status shows what was applied";
        EXPECT_EQ(Text(d, IDC_STATUS_POLICY), kPolicy);
        EXPECT_TRUE(PressKey(d, VK_ESCAPE));
    });
    // The batch dialog takes the choices just applied as its defaults. Enter asks to apply
    // them to the list; after a No, Escape closes without changing a file.
    script.Then(kBatchCaption, [&](HWND d) {
        EXPECT_EQ(GetWindow(d, GW_OWNER), mainWindow);
        EXPECT_FALSE(IsEnabled(d, IDC_APPLY_TO_ALL)) << "nothing to apply to yet";
    });
    AddFiles({"keys.pdf"});
    Then([](HWND d) {
        // From the policy box, where a person types before pressing Enter.
        EXPECT_TRUE(TypeText(d, IDC_BATCH_POLICY, kPolicy));
        EXPECT_TRUE(PressKey(d, VK_RETURN));
    });
    Message(ApplyQuestion(1, 1, kPolicy), IDI_QUESTION, IDNO);
    Then([](HWND d) { EXPECT_TRUE(PressKey(d, VK_ESCAPE)); });

    EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation..."), PickResult::kRan);
    EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation (Batch)..."), PickResult::kRan);
    EXPECT_EQ(hostapp::SaveCount(path), 0);

    // The applied values are in the open document, and reach the store with the viewer's save.
    EXPECT_EQ(StoredTdm(path), "");
    std::string error;
    ASSERT_TRUE(hostapp::SaveView(view, error)) << error;
    EXPECT_EQ(StoredTdm(path), "Reservation: 1\nPolicy: " + kPolicy + "\n");
}

// The apply leaves Remove All enabled; a click on it made while the first file is worked
// on waits in the queue, and the run's drain before the second file dispatches it: the
// removal runs whole, nested between the apply's first and second file.
TEST_F(ModuleWineTest, ABatchRunDrainsARemoveAllClickedBetweenTwoFiles) {
    const std::vector<std::string> names = {"a.pdf", "b.pdf", "c.pdf"};
    MakeDocument(DocPath("a.pdf"));
    MakeDocument(DocPath("b.pdf"), Stamped(0, ""));
    MakeDocument(DocPath("c.pdf"));
    HWND dialog = nullptr;
    AddFiles(names);
    Then([&](HWND d) {
        dialog = d;
        EXPECT_EQ(ListRows(d, IDC_FILE_LIST), (Rows{{DocPath("a.pdf"), "", ""},
                                                     {DocPath("b.pdf"), "", ""},
                                                     {DocPath("c.pdf"), "", ""}}));
        // The first file's document closes, then the user clicks.
        hostapp::WhenCalled("PDDocClose", 1, [&] { EXPECT_TRUE(PostClick(dialog, IDC_REMOVE_ALL)); });
        EXPECT_TRUE(Click(d, IDC_APPLY_TO_ALL));
    });
    Message(ApplyQuestion(3, 1, "(none)"), IDI_QUESTION, IDYES);
    Message(RemoveQuestion(3), IDI_QUESTION, IDYES);
    Message(Summary("Batch removal complete.", 3, 0), IDI_ASTERISK);
    Message(Summary("Batch processing complete.", 3, 0), IDI_ASTERISK);
    Then([&](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS_LINE), "Complete");
        const ProgressView bar = Progress(d, IDC_PROGRESS);
        EXPECT_EQ(bar.high, 3);
        EXPECT_EQ(bar.position, 3);
        // The removal wrote its rows; the apply writes none.
        EXPECT_EQ(ListRows(d, IDC_FILE_LIST), (Rows{{DocPath("a.pdf"), "Removed", ""},
                                                     {DocPath("b.pdf"), "Removed", ""},
                                                     {DocPath("c.pdf"), "Removed", ""}}));
        for (int id : {IDC_APPLY_TO_ALL, IDC_REMOVE_ALL, IDC_CHECK_STATUS, IDC_ADD_FILES, IDC_ADD_FOLDER, IDCANCEL}) {
            EXPECT_TRUE(IsEnabled(d, id)) << id;
        }
        EXPECT_TRUE(Click(d, IDCANCEL));
    });
    EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation (Batch)..."), PickResult::kRan);

    // a.pdf was stamped, then stripped; b.pdf and c.pdf were stripped, then stamped.
    EXPECT_EQ(StoredTdm(DocPath("a.pdf")), "");
    EXPECT_EQ(StoredTdm(DocPath("b.pdf")), "Reservation: 1\n");
    EXPECT_EQ(StoredTdm(DocPath("c.pdf")), "Reservation: 1\n");
    for (const std::string& name : names) EXPECT_EQ(hostapp::SaveCount(DocPath(name)), 2) << name;
}

TEST_F(ModuleWineTest, AFailedSaveIsOneLineOfTheSummaryAndLeavesTheDocument) {
    MakeDocument(DocPath("a.pdf"));
    MakeDocument(DocPath("b.pdf"), Stamped(0, ""));
    hostapp::FailCall("PDDocSave", 2, hostapp::kErrDiskFull);
    AddFiles({"a.pdf", "b.pdf"});
    Then([](HWND d) {
        EXPECT_TRUE(PickEntry(d, IDC_BATCH_RESERVATION, 1));
        EXPECT_TRUE(TypeText(d, IDC_BATCH_POLICY, kPolicy));
        EXPECT_TRUE(Click(d, IDC_APPLY_TO_ALL));
    });
    Message(ApplyQuestion(2, 1, kPolicy), IDI_QUESTION, IDYES);
    Message(Summary("Batch processing complete.", 1, 1,
                    "Error processing " + DocPath("b.pdf") + ": " + hostapp::ErrorText(hostapp::kErrDiskFull) + "\n"),
            IDI_EXCLAMATION);
    Press(IDCANCEL);
    EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation (Batch)..."), PickResult::kRan);
    EXPECT_EQ(StoredTdm(DocPath("a.pdf")), "Reservation: 1\nPolicy: " + kPolicy + "\n");
    EXPECT_EQ(StoredTdm(DocPath("b.pdf")), "Reservation: 0\n") << "the failed file is as it was";
}

// A host exception raised inside a dialog command leaves the host's frames and the
// module's by C++ unwinding; the command's own frame takes it and ends silently.
TEST_F(ModuleWineTest, AHostErrorEndsTheCommandSilentlyAndTheViewerGoesOn) {
    MakeDocument(DocPath("open.pdf"), Stamped(1, kPolicy));
    OpenView(DocPath("open.pdf"));
    hostapp::FailCall("AVDocGetPDDoc", 1, hostapp::kErrBadHandle);
    hostapp::ClearCallRecord();
    // No step: a dialog or message box that came up would stall the script.
    EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation..."), PickResult::kRan);
    const std::vector<std::string> trace = hostapp::CallTrace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "ASPushExceptionFrame"),
              std::count(trace.begin(), trace.end(), "ASPopExceptionFrame"));
    EXPECT_EQ(hostapp::CountOpen().frames, 0);
    EXPECT_TRUE(IsWindowEnabled(mainWindow));

    script.Then(kSingleCaption, [](HWND d) {
        EXPECT_EQ(Text(d, IDC_STATUS_RESERVATION), "Reserved");
        EXPECT_EQ(Text(d, IDC_STATUS_POLICY), kPolicy);
        EXPECT_TRUE(PressKey(d, VK_ESCAPE));
    });
    EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation..."), PickResult::kRan) << "the next pick works";
}

TEST_F(ModuleWineTest, HelpGoesToTheShellWithOpen) {
    BrowserStandIn browser;
    EXPECT_EQ(hostapp::PickMenuItem("Plenvo Help"), PickResult::kRan);
    EXPECT_EQ(browser.TakeOpened(), std::vector<std::string>{kHelpBase + "Plenvo-User-Guide.html"});

    Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_BATCH_HELP)); });
    Press(IDCANCEL);
    EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation (Batch)..."), PickResult::kRan);
    EXPECT_EQ(browser.TakeOpened(), std::vector<std::string>{kHelpBase + "Plenvo-Batch.html"});

    MakeDocument(DocPath("open.pdf"));
    OpenView(DocPath("open.pdf"));
    script.Then(kSingleCaption, [](HWND d) { EXPECT_TRUE(Click(d, IDC_HELP_BUTTON)); });
    script.Then(kSingleCaption, [](HWND d) { EXPECT_TRUE(Click(d, IDCANCEL)); });
    EXPECT_EQ(hostapp::PickMenuItem("TDM Reservation..."), PickResult::kRan);
    EXPECT_EQ(browser.TakeOpened(), std::vector<std::string>{kHelpBase + "Plenvo-User-Guide.html"});
}

}  // namespace
}  // namespace plenvo
