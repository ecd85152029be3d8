#include "Sessions.h"

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <iostream>
#include <string>
#include <vector>

#include "HostControl.h"
#include "HostErrors.h"
#include "headless/Headless.h"
#include "headless/UserDriver.h"
#include "ui/resource.h"

namespace plenvo::cli {
namespace {

using namespace plenvo::headless;
namespace fs = std::filesystem;

constexpr const char* kBatchItem = "TDM Reservation (Batch)...";
constexpr const char* kSingleItem = "TDM Reservation...";
constexpr const char* kHelpItem = "Plenvo Help";

// The dialogs name files by full path, as Windows's file and folder pickers do.
std::string FullPath(const std::string& path) { return fs::absolute(fs::path(path)).lexically_normal().string(); }

std::string FirstParagraph(const std::string& text) { return text.substr(0, text.find("\n\n")); }

bool AskOnTerminal(const std::string& question) {
    std::cerr << question << "\n[y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

// Plays a list of steps, one each time the plug-in's dialog waits for the user, and
// answers the message boxes and pickers the steps expect. Anything else it did not expect
// is reported and the dialog closed: a run never waits for an answer that cannot come.
class CommandDriver : public UserDriver {
public:
    // A step acts on the waiting dialog; it answers false when it could not.
    using Step = std::function<bool(HWND dialog)>;
    // Answers an expected message box: the button to press.
    using BoxAnswer = std::function<int(const MessageBoxView& box)>;

    void Then(Step step) { steps_.push_back(std::move(step)); }
    void ExpectBox(BoxAnswer answer) { expectedBox_ = std::move(answer); }
    void ExpectPicker(std::string answer) { picker_ = std::move(answer); }
    // From now on each new text of the status line is progress.
    void WatchStatus(HWND dialog, int statusId) {
        statusId_ = statusId;
        lastStatus_ = Text(dialog, statusId);
    }

    int Result() const { return result_; }
    void Fail(int code) { result_ = std::max(result_, code); }
    // Stops playing the steps: the next wait closes the dialog.
    void Abandon(int code) {
        Fail(code);
        abandoned_ = true;
    }

    bool Act(Moment moment, HWND top) override {
        if (moment == Moment::QueueEmpty) {
            ReportStatus(top);
            return false;
        }
        switch (KindOf(top)) {
            case WindowKind::Dialog:
                return OnDialog(top);
            case WindowKind::MessageBox:
                return OnBox(top);
            case WindowKind::FileOpen:
            case WindowKind::FolderBrowser:
                return OnPicker(top);
            default:
                return false;
        }
    }

    // The status line's last text, once: progress goes to standard error.
    void ReportStatus(HWND dialog) {
        if (statusId_ == 0 || dialog == nullptr || KindOf(dialog) != WindowKind::Dialog) return;
        const std::string status = Text(dialog, statusId_);
        if (status != lastStatus_) {
            lastStatus_ = status;
            std::cerr << status << "\n" << std::flush;
        }
    }

private:
    bool OnDialog(HWND dialog) {
        ReportStatus(dialog);
        if (!abandoned_ && next_ < steps_.size()) {
            if (steps_[next_++](dialog)) return true;
            abandoned_ = true;
        }
        if (closed_) return false;
        closed_ = true;
        return Click(dialog, IDCANCEL) || CloseBox(dialog);
    }

    bool OnBox(HWND box) {
        const MessageBoxView view = ReadMessageBox(box);
        if (expectedBox_) {
            const BoxAnswer answer = std::exchange(expectedBox_, nullptr);
            return AnswerMessageBox(box, answer(view));
        }
        std::cerr << "plenvo: " << view.text << "\n";
        Abandon(kNotDone);
        const UINT buttons = view.type & 0xF;
        return AnswerMessageBox(box, buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDNO
                                     : buttons == MB_OK                               ? IDOK
                                                                                      : IDCANCEL);
    }

    bool OnPicker(HWND picker) {
        if (!picker_) {
            Abandon(kNotDone);
            return KindOf(picker) == WindowKind::FileOpen ? AnswerFileOpen(picker, {})
                                                          : AnswerFolderBrowser(picker, "");
        }
        const std::string path = std::exchange(picker_, std::nullopt).value();
        if (KindOf(picker) == WindowKind::FileOpen) {
            const std::vector<std::string> one{path};
            return AnswerFileOpen(picker, one);
        }
        return AnswerFolderBrowser(picker, path);
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    BoxAnswer expectedBox_;
    std::optional<std::string> picker_;
    int statusId_ = 0;
    std::string lastStatus_;
    int result_ = kSucceeded;
    bool abandoned_ = false;
    bool closed_ = false;
};

// Picks a menu item with the driver in place; false, reported, when it could not.
bool Pick(const char* title, CommandDriver& driver) {
    const DriverScope scope(driver);
    switch (hostapp::PickMenuItem(title)) {
        case hostapp::PickResult::kRan:
            break;
        case hostapp::PickResult::kGreyed:
            std::cerr << "plenvo: \"" << title << "\" is not available\n";
            return false;
        default:
            std::cerr << "plenvo: the Plenvo plug-in is not loaded (no \"" << title << "\" command)\n";
            return false;
    }
    if (!TakeStalls().empty()) driver.Fail(kNotDone);
    return true;
}

// The reservation, policy and schema controls, set only for the options given.
void SetChoices(CommandDriver& driver, const Request& request, int comboId, int policyId, int schemaId) {
    if (request.reservation) {
        driver.Then([=](HWND d) { return PickEntry(d, comboId, *request.reservation); });
    }
    if (request.policy) {
        // With reservation 0 the box is disabled and what it holds is not applied.
        driver.Then([=](HWND d) { return !IsEnabled(d, policyId) || TypeText(d, policyId, *request.policy); });
    }
    if (request.schema) {
        driver.Then([=](HWND d) { return SetChecked(d, schemaId, *request.schema); });
    }
}

bool CheckPathsExist(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::error_code error;
        if (!fs::exists(path, error)) {
            std::cerr << "plenvo: cannot find '" << path << "'\n";
            return false;
        }
    }
    return true;
}

}  // namespace

int RunBatch(const Request& request) {
    if (!CheckPathsExist(request.paths)) return kNotDone;
    CommandDriver driver;
    if (request.paths.size() > 0) {
        driver.Then([&](HWND d) { return SetChecked(d, IDC_INCLUDE_SUBFOLDERS, request.subfolders); });
    }
    for (const std::string& given : request.paths) {
        const std::string path = FullPath(given);
        const bool folder = fs::is_directory(path);
        driver.Then([&driver, path, folder](HWND d) {
            driver.ExpectPicker(path);
            return Click(d, folder ? IDC_ADD_FOLDER : IDC_ADD_FILES);
        });
    }
    if (request.command != Command::kCheck) {
        SetChoices(driver, request, IDC_BATCH_RESERVATION, IDC_BATCH_POLICY, IDC_BATCH_INCLUDE_SCHEMA);
    }
    const int button = request.command == Command::kApply   ? IDC_APPLY_TO_ALL
                       : request.command == Command::kCheck ? IDC_CHECK_STATUS
                                                            : IDC_REMOVE_ALL;
    driver.Then([&](HWND d) {
        // The run buttons stand disabled while the list is empty.
        if (!IsEnabled(d, button)) {
            std::cerr << "plenvo: No files in the list.\n";
            driver.Abandon(kNotDone);
            return true;
        }
        driver.WatchStatus(d, IDC_STATUS_LINE);
        if (request.command == Command::kCheck) return Click(d, button);
        // The confirmation, then the summary.
        driver.ExpectBox([&, d](const MessageBoxView& question) {
            const bool yes = request.yes || (::isatty(STDIN_FILENO) != 0 && AskOnTerminal(question.text));
            if (!yes) {
                std::cerr << "plenvo: not confirmed; nothing was changed\n";
                driver.Abandon(kNotDone);
                return IDNO;
            }
            driver.ExpectBox([&, d](const MessageBoxView& summary) {
                driver.ReportStatus(d);
                std::cout << summary.text << "\n" << std::flush;
                if ((summary.type & MB_ICONMASK) == MB_ICONWARNING) driver.Fail(kFileFailed);
                return IDOK;
            });
            return IDYES;
        });
        return Click(d, button);
    });
    if (request.command == Command::kCheck) {
        driver.Then([&](HWND d) {
            for (const auto& row : ListRows(d, IDC_FILE_LIST)) {
                std::cout << row[0] << "\t" << row[1] << "\t" << row[2] << "\n";
                if (row[1] == "Error") driver.Fail(kFileFailed);
            }
            std::cout << std::flush;
            return true;
        });
    }
    if (!Pick(kBatchItem, driver)) return kNotDone;
    return driver.Result();
}

int RunDocument(const Request& request) {
    const std::string& path = request.paths.front();
    if (!CheckPathsExist(request.paths)) return kNotDone;
    host::ASErrorCode code = 0;
    const host::AVDoc view = hostapp::OpenView(path, &code);
    if (view == nullptr) {
        std::cerr << "plenvo: cannot open " << path << ": " << hostapp::ErrorText(code) << "\n";
        return kFileFailed;
    }
    CommandDriver driver;
    std::string message;  // what the dialog said of a change, printed once it is saved
    // The dialog's word on an apply or a removal: success, or its failure.
    const auto expectDone = [&] {
        driver.ExpectBox([&](const MessageBoxView& box) {
            if ((box.type & MB_ICONMASK) == MB_ICONINFORMATION) {
                message = FirstParagraph(box.text);
            } else {
                std::cerr << "plenvo: " << box.text << "\n";
                driver.Abandon(kFileFailed);
            }
            return IDOK;
        });
    };
    switch (request.command) {
        case Command::kShow:
            driver.Then([&](HWND d) {
                const std::string reservation = Text(d, IDC_STATUS_RESERVATION);
                std::cout << reservation << "\n" << Text(d, IDC_STATUS_POLICY) << "\n" << std::flush;
                if (reservation == "Error reading metadata") driver.Fail(kFileFailed);
                return true;
            });
            break;
        case Command::kSet:
            SetChoices(driver, request, IDC_RESERVATION, IDC_POLICY, IDC_INCLUDE_SCHEMA);
            driver.Then([&](HWND d) {
                expectDone();
                return Click(d, IDC_APPLY);
            });
            break;
        default:
            driver.Then([&](HWND d) {
                driver.ExpectBox([&](const MessageBoxView&) {
                    expectDone();
                    return IDYES;
                });
                return Click(d, IDC_REMOVE);
            });
            break;
    }
    int result = Pick(kSingleItem, driver) ? driver.Result() : kNotDone;
    if (result == kSucceeded && request.command != Command::kShow) {
        std::string error;
        if (!hostapp::SaveView(view, error)) {
            std::cerr << "plenvo: " << error << "\n";
            result = kFileFailed;
        } else {
            std::cout << message << "\n";
        }
    }
    hostapp::CloseView(view);
    return result;
}

int RunHelp(const Request& request) {
    std::vector<std::string> opened;
    SetShellHook([&](const ShellRequest& shell) {
        opened.push_back(shell.file);
        return INT_PTR{42};
    });
    CommandDriver driver;
    bool picked = false;
    if (request.batchHelp) {
        driver.Then([](HWND d) { return Click(d, IDC_BATCH_HELP); });
        picked = Pick(kBatchItem, driver);
    } else {
        picked = Pick(kHelpItem, driver);
    }
    SetShellHook({});
    if (!picked) return kNotDone;
    if (opened.empty()) {
        std::cerr << "plenvo: the plug-in opened no help page\n";
        return kNotDone;
    }
    for (const std::string& address : opened) std::cout << address << "\n";
    return driver.Result();
}

}  // namespace plenvo::cli
