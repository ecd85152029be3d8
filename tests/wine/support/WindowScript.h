#pragma once
// Plays a test's steps on real windows from a thread timer, so they run inside whatever
// modal loop the code under test waits in: the dialog's own, a message box's nested in a
// handler, or a drain between two steps of a run.
//
//     WindowScript script;
//     script.Then("Framework Test", [](HWND d) { Click(d, IDC_ASK); })
//           .Then("framework_wine_tests", [](HWND box) { AnswerMessageBox(box, IDNO); });
//     dialog.DoModal();
//
// A step runs once the window a person would act on (ActiveDialog) has the step's caption.
// A window that waits too long for its step is closed and recorded as a stall, so a test
// that goes wrong ends instead of hanging; the steps left are then dropped.

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace plenvo::wine {

class WindowScript {
public:
    using Step = std::function<void(HWND window)>;

    // Starts the timer on this thread; one script at a time.
    WindowScript();
    ~WindowScript();
    WindowScript(const WindowScript&) = delete;
    WindowScript& operator=(const WindowScript&) = delete;

    WindowScript& Then(std::string caption, Step step);

    // Steps not played yet.
    std::size_t Remaining() const { return steps_.size() - next_; }
    // What the script had to give up on, in words, since the last call.
    std::vector<std::string> TakeStalls();

private:
    struct Entry {
        std::string caption;
        Step step;
    };

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();
    void GiveUp(HWND window, const std::string& why);

    std::vector<Entry> steps_;
    std::size_t next_ = 0;
    std::vector<std::string> stalls_;
    UINT_PTR timer_ = 0;
    HWND waiting_ = nullptr;
    ULONGLONG waitingSince_ = 0;
};

}  // namespace plenvo::wine
