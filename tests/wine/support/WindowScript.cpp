#include "WindowScript.h"

#include <algorithm>
#include <utility>

#include "UserActions.h"

namespace plenvo::wine {
namespace {

constexpr UINT kTickMs = 10;
// Long enough for Wine under load, short enough that a test gone wrong ends soon.
constexpr ULONGLONG kPatienceMs = 5000;

thread_local WindowScript* t_script = nullptr;
// The windows whose steps are running: their handlers are busy, so their loops are not
// waiting for a person, whatever the timer says.
thread_local std::vector<HWND> t_acting;

}  // namespace

WindowScript::WindowScript() {
    t_script = this;
    timer_ = SetTimer(nullptr, 0, kTickMs, &WindowScript::OnTimer);
}

WindowScript::~WindowScript() {
    KillTimer(nullptr, timer_);
    t_script = nullptr;
}

WindowScript& WindowScript::Then(std::string caption, Step step) {
    steps_.push_back(Entry{std::move(caption), std::move(step)});
    return *this;
}

std::vector<std::string> WindowScript::TakeStalls() { return std::exchange(stalls_, {}); }

void CALLBACK WindowScript::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (t_script != nullptr) {
        t_script->Tick();
    }
}

void WindowScript::Tick() {
    HWND window = ActiveDialog();
    if (window == nullptr || std::find(t_acting.begin(), t_acting.end(), window) != t_acting.end()) {
        waiting_ = nullptr;
        return;
    }
    if (window != waiting_) {
        waiting_ = window;
        waitingSince_ = GetTickCount64();
    }
    const std::string caption = Caption(window);
    if (next_ < steps_.size() && steps_[next_].caption == caption) {
        const Step step = steps_[next_++].step;
        waiting_ = nullptr;
        t_acting.push_back(window);
        step(window);
        t_acting.pop_back();
        return;
    }
    if (GetTickCount64() - waitingSince_ >= kPatienceMs) {
        GiveUp(window, next_ < steps_.size()
                           ? "\"" + caption + "\" waited while the next step was for \"" + steps_[next_].caption + "\""
                           : "\"" + caption + "\" waited with no step left");
    }
}

void WindowScript::GiveUp(HWND window, const std::string& why) {
    stalls_.push_back(why);
    next_ = steps_.size();
    waiting_ = nullptr;
    EndDialog(window, IsMessageBox(window) ? 0 : -1);
}

}  // namespace plenvo::wine
