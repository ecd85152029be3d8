// The resource script's two templates, read back item by item through the headless
// template reader.

#include <gtest/gtest.h>

#include <commctrl.h>

#include "framework/WinApp.h"
#include "headless/Headless.h"
#include "headless/UserDriver.h"
#include "support/DialogTemplates.h"
#include "ui/resource.h"

namespace plenvo {
namespace {

using namespace plenvo::headless;

TEST(TemplateTest, BothTemplatesHoldExactlyTheirItemsInTabOrder) {
    for (const test::TemplateView& expected : {test::kSingleTemplate, test::kBatchTemplate}) {
        SCOPED_TRACE(expected.caption);
        ScriptedDriver driver;
        driver.Then([&](HWND d) {
            EXPECT_EQ(Caption(d), expected.caption);
            const auto style = static_cast<DWORD>(GetWindowLongA(d, GWL_STYLE));
            const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
            EXPECT_EQ(style & frame, frame);
            RECT size{0, 0, expected.width, expected.height};
            MapDialogRect(d, &size);
            RECT actual{};
            GetWindowRect(d, &actual);
            EXPECT_EQ(actual.right - actual.left, size.right);
            EXPECT_EQ(actual.bottom - actual.top, size.bottom);
            const std::vector<ItemView> items = Items(d);
            ASSERT_EQ(items.size(), expected.items.size());
            for (std::size_t i = 0; i < items.size(); ++i) {
                const test::TemplateItem& want = expected.items[i];
                SCOPED_TRACE(want.text + " " + std::to_string(want.id));
                EXPECT_EQ(items[i].className, want.className);
                EXPECT_EQ(items[i].id, want.id);
                EXPECT_EQ(items[i].text, want.text);
                EXPECT_EQ(items[i].style, want.style);
                EXPECT_EQ(items[i].exStyle, want.exStyle);
                EXPECT_EQ(items[i].unitRect.left, want.unitRect.left);
                EXPECT_EQ(items[i].unitRect.top, want.unitRect.top);
                EXPECT_EQ(items[i].unitRect.right, want.unitRect.right);
                EXPECT_EQ(items[i].unitRect.bottom, want.unitRect.bottom);
            }
            PressKey(d, VK_ESCAPE);
        });
        DriverScope scope(driver);
        EXPECT_EQ(DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(expected.id), nullptr, &test::CancelOnly, 0), IDCANCEL);
        EXPECT_TRUE(TakeStalls().empty());
    }
}

}  // namespace
}  // namespace plenvo
