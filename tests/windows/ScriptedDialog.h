#pragma once
// A dialog run with a script, as a user would act on it: step 0 runs once
// the dialog is made, each later step when a kStep message the script
// posted comes back (a posted message reaches the dialog from inside a
// message box or a dialog it runs). A script that stops short ends the
// dialog after 20 seconds with a failure rather than hanging the run.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/TextsInUse.h"

namespace wintest {

const UINT kStep = WM_APP + 44;

template <typename Dialog>
class Scripted : public Dialog {
public:
    using Dialog::Dialog;
    std::function<void(HWND, int)> script;
    // The step that runs now runs again at the next turn of the message
    // loop: for a window that comes only once the platform has answered the
    // dialog on another thread.
    void Retry() {
        --step_;
        ::PostMessageA(this->m_hWnd, kStep, 0, 0);
    }

protected:
    bool OnInitDialog() override {
        bool focus = Dialog::OnInitDialog();
        ::PostMessageA(this->m_hWnd, kStep, 0, 0);
        ::SetTimer(this->m_hWnd, kGiveUp, 20000, nullptr);
        return focus;
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_TIMER && wp == kGiveUp) {
            ADD_FAILURE() << "the script stopped at step " << step_;
            ::KillTimer(this->m_hWnd, kGiveUp);
            this->EndDialog(IDABORT);
            return 0;
        }
        if (msg == kStep && script) {
            script(this->m_hWnd, step_++);
            return 0;
        }
        return Dialog::WindowProc(msg, wp, lp);
    }

private:
    static constexpr UINT_PTR kGiveUp = 96;
    int step_ = 0;
};

// The program file's texts in use while the object lives, as the program
// has them when it runs.
class ProgramTexts {
public:
    explicit ProgramTexts(platform::TextsInUse& inUse);
    ~ProgramTexts();
    ProgramTexts(const ProgramTexts&) = delete;
    ProgramTexts& operator=(const ProgramTexts&) = delete;
    bool Loaded() const { return module_ != nullptr; }

private:
    platform::TextsInUse& inUse_;
    HMODULE module_ = nullptr;
};

}  // namespace wintest
