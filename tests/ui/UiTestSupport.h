#pragma once

// What the dialog tests share: the stand-in host with the viewer's main window, a fresh
// registry, a watched shell, PDF files in a temporary folder, and steps for the driver.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "headless/UserDriver.h"
#include "support/HostFixture.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"
#include "xmp/ReservationRecord.h"

namespace plenvo::test {

using headless::ScriptedDriver;
using Step = ScriptedDriver::Step;

inline const std::string kPolicy = "https://example.com/tdm-policy.json";

class UiTest : public HostTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Plays the driver's steps while `command` runs.
    void Run(const std::function<void()>& command);

    // A PDF in the test's folder: no metadata, or a TDMRep description of these values.
    std::string Pdf(const std::string& name) const;
    std::string StampedPdf(const std::string& name, int reservation, const std::string& policy) const;

    // The stored settings, and the registry file's bytes (empty when there is none).
    static ReservationRecord Stored();
    static std::string RegistryBytes();

    ScriptedDriver driver;
    TempDir files;
    std::vector<std::string> opened;  // addresses handed to the shell
    HWND mainWindow = nullptr;

private:
    testing::TempFolder home;
    std::unique_ptr<testing::ScopedEnv> config;
    int windowsBefore = 0;
};

// A step that expects a message box with this text and kind (MB_ICONWARNING,
// MB_ICONINFORMATION, MB_ICONERROR, or MB_YESNO | MB_ICONQUESTION), captioned with the
// application's name, and presses `button`.
Step Expect(const std::string& text, UINT kind, int button = IDOK);

// What exiftool reads of TDMRep in a file: "Reservation: 1\nPolicy: ...\n", or "".
std::string ExifTdm(const std::string& path);

}  // namespace plenvo::test
