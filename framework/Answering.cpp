#include "framework/Answering.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "framework/Dialog.h"
#include "platform/win32/Handles.h"

namespace answering {

namespace {

std::atomic<int> outstanding{0};

enum State { kRunning, kFinished, kGivenUp };

// What the worker and the waiting thread share; the last to let go frees it.
// Whichever of the two moves the state from running decides whether the
// work counts as outstanding.
struct Job {
    std::function<void()> work;
    KernelHandle done;
    std::atomic<int> state{kRunning};
};

void Work(const std::shared_ptr<Job>& job) {
    try {
        job->work();
    } catch (...) {
        // Its result stays as it was before: its owner finds none.
    }
    int expected = kRunning;
    if (!job->state.compare_exchange_strong(expected, kFinished)) --outstanding;
    ::SetEvent(job->done.get());
}

const DWORD kTickMs = 100;

// True when the message ends the wait: the program's quit, or Esc in a
// window of this thread where the wait lets it.
bool GivesUp(const MSG& msg, const Wait& wait) {
    if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return true;
    }
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
    return wait.onEsc ? wait.onEsc() : true;
}

}  // namespace

bool IgnoreEsc() {
    return false;
}

bool Run(std::function<void()> work, const Wait& wait) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    job->done.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!job->done) {
        job->work();
        return true;
    }
    try {
        std::thread([job] { Work(job); }).detach();
    } catch (const std::system_error&) {
        job->work();  // no thread to be had: the wait is this thread's
        return true;
    }
    HANDLE done = job->done.get();
    DWORD ticked = ::GetTickCount();
    // One message at a time, the work's end looked at between them: a
    // window that posts itself messages without end must not hold the
    // wait beyond the work.
    for (;;) {
        DWORD woke =
            ::MsgWaitForMultipleObjectsEx(1, &done, kTickMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (wait.onTick && (woke != WAIT_OBJECT_0 + 1 || ::GetTickCount() - ticked >= kTickMs)) {
            wait.onTick();
            ticked = ::GetTickCount();
        }
        if (woke == WAIT_OBJECT_0) return true;
        MSG msg;
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
        if (GivesUp(msg, wait)) {
            ++outstanding;
            int expected = kRunning;
            if (job->state.compare_exchange_strong(expected, kGivenUp)) return false;
            --outstanding;  // it finished meanwhile: its result stands
            return true;
        }
        if (CDialog::PreTranslate(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

int Outstanding() {
    return outstanding;
}

}  // namespace answering
