#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostErrors.h"
#include "host/HostFrame.h"
#include "support/HostFixture.h"
#include "support/PdfFactory.h"
#include "support/TestFiles.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

class AcroViewTest : public test::HostTest {};

std::vector<std::string> gEvents;

void RecordExecute(void* data) { gEvents.push_back(static_cast<const char*>(data)); }
ASBool NeverEnabled(void*) { return false; }

TEST_F(AcroViewTest, ActiveViewGivesItsDocumentWhichStaysTheHosts) {
    EXPECT_EQ(AVAppGetActiveDoc(), nullptr);
    test::TempDir dir;
    const std::string path = dir.File("view.pdf");
    test::WriteBytes(path, test::MakePdf({test::MetadataKind::kNone, ""}));
    const AVDoc view = OpenView(path);
    ASSERT_NE(view, nullptr);

    EXPECT_EQ(AVAppGetActiveDoc(), view);
    const PDDoc document = AVDocGetPDDoc(view);
    EXPECT_EQ(CosObjGetType(CosDocGetRoot(PDDocGetCosDoc(document))), kCosDict);
    EXPECT_EQ(test::RaisedBy([&] { PDDocClose(document); }), kErrBadParameter);
    EXPECT_EQ(CosObjGetType(CosDocGetRoot(PDDocGetCosDoc(document))), kCosDict);

    CloseView(view);
    EXPECT_EQ(AVAppGetActiveDoc(), nullptr);
    ASErrorCode openError = 0;
    EXPECT_EQ(OpenView(dir.File("missing.pdf"), &openError), nullptr);
    EXPECT_EQ(openError, kErrFileNotFound);
}

TEST_F(AcroViewTest, MenusHoldItemsByPositionAndRunTheirProcedures) {
    gEvents.clear();
    const AVMenubar menubar = AVAppGetMenubar();
    ASSERT_NE(menubar, nullptr);
    EXPECT_EQ(AVMenubarAcquireMenuByName(menubar, "Nonesuch"), nullptr);
    const AVMenu extensions = AVMenubarAcquireMenuByName(menubar, "Extensions");
    ASSERT_NE(extensions, nullptr);
    EXPECT_EQ(AVMenuGetNumMenuItems(extensions), 0);

    const ASExtension owner = ExtensionIdentity();
    const AVMenu submenu = AVMenuNew("Maker", "MakerSubMenu", owner);
    const AVMenuItem parent = AVMenuItemNew("Maker", "Maker", submenu, false, 0, 0, nullptr, owner);
    AVMenuAddMenuItem(extensions, parent, kAVMenuAppend);
    const AVMenuItem second =
        AVMenuItemNew("Second", "Second", nullptr, false, 0, 0, nullptr, owner);
    const AVMenuItem first = AVMenuItemNew("First", "First", nullptr, false, 0, 0, nullptr, owner);
    AVMenuAddMenuItem(submenu, second, kAVMenuAppend);
    AVMenuAddMenuItem(submenu, first, 0);
    EXPECT_EQ(MenuItemNames("MakerSubMenu"), (std::vector<std::string>{"First", "Second"}));

    static char firstData[] = "first ran";
    AVMenuItemSetExecuteProc(
        first, ASCallbackCreate(owner, reinterpret_cast<ASProcedure>(&RecordExecute)), firstData);
    AVMenuItemSetComputeEnabledProc(
        second, ASCallbackCreate(owner, reinterpret_cast<ASProcedure>(&NeverEnabled)), nullptr);
    EXPECT_TRUE(ExecuteMenuItem("First"));
    EXPECT_FALSE(ExecuteMenuItem("Second"));
    EXPECT_TRUE(IsMenuItemEnabled("First"));
    EXPECT_FALSE(IsMenuItemEnabled("Second"));
    EXPECT_EQ(gEvents, std::vector<std::string>{"first ran"});

    // Found again by name, as another plug-in of the same maker would.
    ASSERT_EQ(AVMenuGetNumMenuItems(extensions), 1);
    const AVMenuItem found = AVMenuAcquireMenuItemByIndex(extensions, 0);
    EXPECT_EQ(AVMenuItemGetName(found), ASAtomFromString("Maker"));
    EXPECT_EQ(AVMenuAcquireMenuItemByIndex(extensions, 1), nullptr);
    const AVMenu foundSubmenu = AVMenuItemAcquireSubmenu(found);
    EXPECT_EQ(AVMenuGetNumMenuItems(foundSubmenu), 2);

    AVMenuItemRemove(first);
    EXPECT_EQ(MenuItemNames("MakerSubMenu"), std::vector<std::string>{"Second"});
    EXPECT_FALSE(ExecuteMenuItem("First"));

    const int outstanding = OutstandingMenuAcquisitions();
    for (const AVMenuItem item : {found, parent, first, second}) AVMenuItemRelease(item);
    for (const AVMenu menu : {foundSubmenu, submenu, extensions}) AVMenuRelease(menu);
    EXPECT_EQ(OutstandingMenuAcquisitions(), outstanding - 7);
    EXPECT_EQ(OutstandingMenuAcquisitions(), 0);
}

TEST_F(AcroViewTest, MenubarCanLackAMenu) {
    RemoveMenubarMenu("Extensions");
    EXPECT_EQ(AVMenubarAcquireMenuByName(AVAppGetMenubar(), "Extensions"), nullptr);
    test::InstallHost();
    EXPECT_NE(AVMenubarAcquireMenuByName(AVAppGetMenubar(), "Extensions"), nullptr);
}

}  // namespace
}  // namespace plenvo::hostapp
