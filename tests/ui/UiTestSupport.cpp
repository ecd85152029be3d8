#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include "HostControl.h"
#include "headless/Headless.h"
#include "plugin/PlenvoApp.h"
#include "settings/Settings.h"
#include "support/PdfFactory.h"
#include "xmp/XmpWriter.h"

namespace plenvo::test {
namespace {

// The program's application object, as the module has one; its help manager knows the
// user guide, as after the plug-in's initialisation.
CPlenvoApp& App() {
    static CPlenvoApp app;
    static const bool registered = [] {
        app.Help().SetTopicPage(1, "Plenvo-User-Guide.html");
        return true;
    }();
    (void)registered;
    return app;
}

}  // namespace

void UiTest::SetUp() {
    HostTest::SetUp();
    App();
    config = std::make_unique<testing::ScopedEnv>("XDG_CONFIG_HOME", home.Path().c_str());
    headless::SetShellHook([this](const headless::ShellRequest& request) {
        EXPECT_EQ(request.verb, "open");
        opened.push_back(request.file);
        return INT_PTR{42};
    });
    mainWindow = hostapp::MainWindow();
    windowsBefore = headless::CountOpen().windows;
}

void UiTest::TearDown() {
    headless::SetShellHook({});
    EXPECT_EQ(driver.Remaining(), 0u) << "the script was not played to its end";
    EXPECT_TRUE(headless::TakeStalls().empty()) << "a modal window waited for a step that never came";
    EXPECT_EQ(headless::CountOpen().windows, windowsBefore) << "a window was left open";
    EXPECT_EQ(headless::CountOpen().findHandles, 0);
    EXPECT_EQ(headless::CountOpen().registryKeys, 0);
    EXPECT_TRUE(IsWindowEnabled(mainWindow)) << "the viewer works again after the dialog";
    config.reset();
    HostTest::TearDown();
}

void UiTest::Run(const std::function<void()>& command) {
    headless::DriverScope scope(driver);
    command();
}

std::string UiTest::Pdf(const std::string& name) const {
    const std::string path = files.File(name);
    WriteBytes(path, MakePdf({}));
    return path;
}

std::string UiTest::StampedPdf(const std::string& name, int reservation, const std::string& policy) const {
    const std::string path = files.File(name);
    WriteBytes(path, MakePdf({MetadataKind::kStream,
                              Packet(TitleDescription("Report") + BuildTdmDescription(reservation, policy))}));
    return path;
}

ReservationRecord UiTest::Stored() {
    ReservationRecord record{-7, "(nothing stored)", false};
    LoadSettings(record);
    return record;
}

std::string UiTest::RegistryBytes() { return testing::ReadFile(headless::RegistryFilePath()); }

Step Expect(const std::string& text, UINT kind, int button) {
    return [=](HWND box) {
        const headless::MessageBoxView view = headless::ReadMessageBox(box);
        EXPECT_EQ(view.text, text);
        EXPECT_EQ(view.type, kind) << text;
        EXPECT_EQ(view.caption, AfxGetApp()->AppName());
        EXPECT_TRUE(headless::AnswerMessageBox(box, button)) << "no message box to answer: " << text;
    };
}

std::string ExifTdm(const std::string& path) {
    return RunTool({"exiftool", "-config", ExiftoolConfig(), "-s", "-s", "-XMP-tdm:all", path}).output;
}

}  // namespace plenvo::test
