// The single-document dialog, used as a person would through the viewer's active view.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include <qpdf/QPDFWriter.hh>

#include "HostControl.h"
#include "HostErrors.h"
#include "UiTestSupport.h"
#include "document/DocumentMetadata.h"
#include "headless/Headless.h"
#include "host/HostCalls.h"
#include "settings/Settings.h"
#include "support/PdfFactory.h"
#include "ui/Commands.h"
#include "ui/resource.h"
#include "xmp/XmpWriter.h"

namespace plenvo::test {
namespace {

using namespace plenvo::headless;

const std::string kApplied = "TDMRep metadata applied successfully.\n\nRemember to save the document.";
const std::string kRemoved = "TDMRep metadata removed.\n\nRemember to save the document.";
const std::string kGuide = "https://help.example.com/plenvo/Plenvo-User-Guide.html";
constexpr UINT kInformation = MB_OK | MB_ICONINFORMATION;
constexpr UINT kError = MB_OK | MB_ICONERROR;
constexpr UINT kQuestion = MB_YESNO | MB_ICONQUESTION;

class PlenvoDlgTest : public UiTest {
protected:
    void TearDown() override {
        if (view != nullptr) hostapp::CloseView(view);
        UiTest::TearDown();
    }

    void OpenDocument(const std::string& path) {
        if (view != nullptr) hostapp::CloseView(view);
        view = hostapp::OpenView(path);
        ASSERT_NE(view, nullptr);
    }

    // What the open document holds now, as the plug-in reads it.
    ReservationRecord InMemory() const {
        ReservationRecord record;
        EXPECT_TRUE(ReadDocumentReservation(host::AVDocGetPDDoc(view), record));
        return record;
    }

    // The open document written out by qpdf, read by exiftool.
    std::string WrittenOut() const {
        const std::string path = files.File("written-out.pdf");
        QPDFWriter writer(hostapp::DocumentPdf(host::AVDocGetPDDoc(view)), path.c_str());
        writer.write();
        return ExifTdm(path);
    }

    void RunDialog() {
        Run([] { RunSingleDocumentCommand(); });
    }

    host::AVDoc view = nullptr;
};

const auto kClose = [](HWND d) { EXPECT_TRUE(Click(d, IDCANCEL)); };

TEST_F(PlenvoDlgTest, OpensOnTheDocumentsValuesOverTheStoredOnes) {
    struct Case {
        const char* name;
        std::optional<ReservationRecord> stored;
        std::string pdf;  // a file's bytes
        std::string reservationStatus;
        std::string policyStatus;
        int selection;
        std::string policyText;
        bool policyEnabled;
        bool schemaChecked;
    };
    const std::vector<Case> cases = {
        {"no TDMRep, nothing stored", std::nullopt, MakePdf({}), "Not set", "Not set", 1, "", true, true},
        {"document says 0, settings say 1",
         ReservationRecord{1, "https://stored.example/p.json", false},
         MakePdf({MetadataKind::kStream, Packet(BuildTdmDescription(0, ""))}),
         "Not reserved (mining permitted)", "Not set", 0, "https://stored.example/p.json", false, false},
        {"the document's policy replaces the stored one in the edit box",
         ReservationRecord{0, "https://stored.example/p.json", true},
         MakePdf({MetadataKind::kStream, Packet(BuildTdmDescription(1, kPolicy))}), "Reserved", kPolicy, 1,
         kPolicy, true, true},
        {"unreadable metadata", ReservationRecord{0, "https://stored.example/p.json", true},
         MakePdf({MetadataKind::kUnknownFilter, Packet(BuildTdmDescription(1, kPolicy))}),
         "Error reading metadata", "", 0, "https://stored.example/p.json", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(RegistryFilePath());
        if (c.stored) SaveSettings(*c.stored);
        const std::string registry = RegistryBytes();
        const std::string path = files.File("open.pdf");
        WriteBytes(path, c.pdf);
        OpenDocument(path);
        driver.Then([&](HWND d) {
            EXPECT_EQ(Caption(d), "TDM Reservation (Text and Data Mining)");
            EXPECT_FALSE(IsWindowEnabled(mainWindow)) << "the viewer waits while the dialog is open";
            EXPECT_EQ(Text(d, IDC_STATUS_RESERVATION), c.reservationStatus);
            EXPECT_EQ(Text(d, IDC_STATUS_POLICY), c.policyStatus);
            EXPECT_EQ(ComboEntries(d, IDC_RESERVATION),
                      (std::vector<std::string>{"0 - TDM rights not reserved (mining permitted)",
                                                "1 - TDM rights reserved"}));
            EXPECT_EQ(ComboSelection(d, IDC_RESERVATION), c.selection);
            EXPECT_EQ(Text(d, IDC_POLICY), c.policyText);
            EXPECT_EQ(IsEnabled(d, IDC_POLICY), c.policyEnabled);
            EXPECT_EQ(IsChecked(d, IDC_INCLUDE_SCHEMA), c.schemaChecked);
            EXPECT_EQ(FocusedId(d), IDC_RESERVATION);
        });
        driver.Then(kClose);
        RunDialog();
        EXPECT_EQ(RegistryBytes(), registry) << "opening and closing stores nothing";
    }
}

TEST_F(PlenvoDlgTest, ApplyWritesTheChosenValuesAndStoresThem) {
    struct Case {
        const char* name;
        std::vector<Step> steps;  // on the open dialog, before Apply is pressed
        UINT applyKey;            // 0: click Apply; otherwise the key pressed
        ReservationRecord document;
        std::string policyEditAfter;
        std::string exiftool;
    };
    const std::vector<Case> cases = {
        {"reservation 1 with a policy",
         {[](HWND d) { EXPECT_TRUE(TypeText(d, IDC_POLICY, "  " + kPolicy + " ")); }},
         0,
         {1, kPolicy, true},
         kPolicy,
         "Reservation: 1\nPolicy: " + kPolicy + "\n"},
        {"reservation 0 with a URL left in the disabled edit box",
         {[](HWND d) { EXPECT_TRUE(TypeText(d, IDC_POLICY, kPolicy)); },
          [](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_RESERVATION, 0)); },
          [](HWND d) { EXPECT_FALSE(IsEnabled(d, IDC_POLICY)); }},
         0,
         {0, "", true},
         kPolicy,
         "Reservation: 0\n"},
        {"a blank policy is no policy",
         {[](HWND d) { EXPECT_TRUE(TypeText(d, IDC_POLICY, "   ")); },
          [](HWND d) { EXPECT_TRUE(SetChecked(d, IDC_INCLUDE_SCHEMA, false)); }},
         0,
         {1, "", false},
         "   ",
         "Reservation: 1\n"},
        {"Enter in the combo box",
         {[](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_RESERVATION, 0)); }},
         VK_RETURN,
         {0, "", true},
         "",
         "Reservation: 0\n"},
        {"Enter in the edit box",
         {[](HWND d) { EXPECT_TRUE(TypeText(d, IDC_POLICY, kPolicy)); }},
         VK_RETURN,
         {1, kPolicy, true},
         kPolicy,
         "Reservation: 1\nPolicy: " + kPolicy + "\n"},
        {"Enter on the check box",
         {[](HWND d) { EXPECT_TRUE(SetChecked(d, IDC_INCLUDE_SCHEMA, false)); }},
         VK_RETURN,
         {1, "", false},
         "",
         "Reservation: 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(RegistryFilePath());
        OpenDocument(Pdf("plain.pdf"));
        for (const Step& step : c.steps) driver.Then(step);
        if (c.applyKey == 0) {
            driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_APPLY)); });
        } else {
            driver.Then([&](HWND d) { EXPECT_TRUE(PressKey(d, c.applyKey)); });
        }
        driver.Then(Expect(kApplied, kInformation));
        driver.Then([&](HWND d) {
            // The status shows what the document now holds; the edit box keeps its text.
            EXPECT_EQ(Text(d, IDC_STATUS_RESERVATION),
                      c.document.reservation == 0 ? "Not reserved (mining permitted)" : "Reserved");
            EXPECT_EQ(Text(d, IDC_STATUS_POLICY), c.document.policy.empty() ? "Not set" : c.document.policy);
            EXPECT_EQ(Text(d, IDC_POLICY), c.policyEditAfter);
        });
        driver.Then(kClose);
        RunDialog();
        const ReservationRecord held = InMemory();
        EXPECT_EQ(held.reservation, c.document.reservation);
        EXPECT_EQ(held.policy, c.document.policy);
        EXPECT_EQ(Stored(), c.document) << "the applied values become the next defaults";
        EXPECT_EQ(WrittenOut(), c.exiftool);
    }
}

TEST_F(PlenvoDlgTest, AFailedApplyLeavesDocumentStatusAndSettingsAlone) {
    SaveSettings({0, "https://stored.example/p.json", false});
    const std::string registry = RegistryBytes();
    OpenDocument(StampedPdf("stamped.pdf", 1, kPolicy));
    hostapp::ClearCallRecord();
    hostapp::FailCall("CosNewStream", 1, hostapp::kErrNoMemory);
    driver.Then([](HWND d) { EXPECT_TRUE(PickEntry(d, IDC_RESERVATION, 0)); })
        .Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_APPLY)); })
        .Then(Expect("Failed to apply TDMRep metadata.", kError))
        .Then([](HWND d) {
            EXPECT_EQ(Text(d, IDC_STATUS_RESERVATION), "Reserved");
            EXPECT_EQ(Text(d, IDC_STATUS_POLICY), kPolicy);
        })
        .Then(kClose);
    RunDialog();
    EXPECT_EQ(RegistryBytes(), registry);
    EXPECT_EQ(InMemory(), (ReservationRecord{1, kPolicy, true}));
}

TEST_F(PlenvoDlgTest, RemoveAsksFirstAndNeverTouchesTheSettings) {
    struct Case {
        const char* name;
        int answer;
        const char* fault;  // a host operation that fails, or null
        std::vector<Step> after;
        ReservationRecord document;
    };
    const std::vector<Case> cases = {
        {"answered No", IDNO, nullptr, {}, {1, kPolicy, true}},
        {"answered Yes",
         IDYES,
         nullptr,
         {Expect(kRemoved, kInformation),
          [](HWND d) {
              EXPECT_EQ(Text(d, IDC_STATUS_RESERVATION), "Not set");
              EXPECT_EQ(Text(d, IDC_STATUS_POLICY), "Not set");
          }},
         {-1, "", true}},
        {"the host fails", IDYES, "CosNewStream", {Expect("Failed to remove TDMRep metadata.", kError)},
         {1, kPolicy, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SaveSettings({0, "", false});
        const std::string registry = RegistryBytes();
        OpenDocument(StampedPdf("stamped.pdf", 1, kPolicy));
        hostapp::ClearFaults();
        hostapp::ClearCallRecord();
        if (c.fault != nullptr) hostapp::FailCall(c.fault, 1, hostapp::kErrNoMemory);
        driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_REMOVE)); })
            .Then(Expect("Remove all TDMRep metadata from this document?", kQuestion, c.answer));
        for (const Step& step : c.after) driver.Then(step);
        driver.Then(kClose);
        RunDialog();
        EXPECT_EQ(InMemory(), c.document);
        EXPECT_EQ(RegistryBytes(), registry);
    }
}

TEST_F(PlenvoDlgTest, HelpOpensTheUserGuideAndTheDialogStays) {
    OpenDocument(Pdf("plain.pdf"));
    driver.Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_HELP_BUTTON)); })
        .Then([&](HWND d) {
            EXPECT_EQ(opened, std::vector<std::string>{kGuide});
            EXPECT_EQ(KindOf(d), WindowKind::Dialog);
        })
        .Then([](HWND d) { EXPECT_TRUE(PressKey(d, VK_ESCAPE)); });
    RunDialog();
}

TEST_F(PlenvoDlgTest, WithoutADocumentNothingHappens) {
    // No active view: no dialog at all.
    RunDialog();
    // A view without a document: the status says "Not set" and Apply and Remove do nothing.
    OpenDocument(StampedPdf("stamped.pdf", 1, kPolicy));
    hostapp::AnswerNull("AVDocGetPDDoc", 1);
    const std::string registry = RegistryBytes();
    driver.Then([](HWND d) {
              EXPECT_EQ(Text(d, IDC_STATUS_RESERVATION), "Not set");
              EXPECT_EQ(Text(d, IDC_STATUS_POLICY), "Not set");
              EXPECT_TRUE(Click(d, IDC_APPLY));
          })
        .Then([](HWND d) { EXPECT_TRUE(Click(d, IDC_REMOVE)); })
        .Then([](HWND d) {
            EXPECT_EQ(KindOf(d), WindowKind::Dialog) << "no message box came up";
            EXPECT_TRUE(CloseBox(d));
        });
    RunDialog();
    EXPECT_EQ(RegistryBytes(), registry);
}

TEST_F(PlenvoDlgTest, AHostErrorEndsTheCommandSilently) {
    OpenDocument(Pdf("plain.pdf"));
    hostapp::FailCall("AVDocGetPDDoc", 1, hostapp::kErrBadHandle);
    RunDialog();  // no dialog, no message box: the driver has no steps to play
    EXPECT_TRUE(IsWindowEnabled(mainWindow));
}

}  // namespace
}  // namespace plenvo::test
