// Typing in the main window's filter box with 3,000 services: each key,
// from the box's change to the list drawn again, against filling the rows
// that key leaves into a bare list drawn once (the least any program does
// to show them). The services are in memory: a filter asks the platform
// nothing.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CVantorelMainFrame.h"
#include "bench/BenchSupport.h"
#include "bench/Verdict.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32Platform.h"
#include "tests/fakes/FakeScm.h"
#include "tests/windows/FrameClass.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/CVantorelDocument.h"
#include "ui/CVantorelView.h"

using namespace bench;

namespace {

const int kServices = 3000;
const int kRounds = 5;
// Typed one key at a time, then taken back: 3,000 rows down to a few and up.
const char kTyped[] = "svc12";

void Settle(HWND window) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    UpdateWindow(window);
}

// The rows a key leaves, as the list shows them.
using Rows = std::vector<std::vector<std::string>>;

void BareRows(HWND list, const Rows& rows) {
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t row = 0; row < rows.size(); ++row) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<char*>(rows[row][0].c_str());
        item.iImage = 3;
        ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (size_t column = 1; column < rows[row].size(); ++column) {
            LVITEMA cell{};
            cell.iSubItem = static_cast<int>(column);
            cell.pszText = const_cast<char*>(rows[row][column].c_str());
            ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
        }
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    Settle(list);
}

HWND BareList(HWND like, size_t columns) {
    RECT r{};
    GetWindowRect(like, &r);
    HWND list =
        CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | WS_VISIBLE | LVS_REPORT, r.left, r.top,
                        r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    for (size_t column = 0; column < columns; ++column) {
        LVCOLUMNA c{};
        c.mask = LVCF_WIDTH;
        c.cx = 150;
        ::SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&c));
    }
    return list;
}

// The texts typed, key by key: each prefix of kTyped, then back to empty.
std::vector<std::string> Steps() {
    std::vector<std::string> steps;
    std::string typed = kTyped;
    for (size_t n = 1; n <= typed.size(); ++n) steps.push_back(typed.substr(0, n));
    for (size_t n = typed.size(); n-- > 0;) steps.push_back(typed.substr(0, n));
    return steps;
}

int Measure(WindowBench& app) {
    wintest::RegisterFrameClass();
    platform::Win32Platform real;
    fake::Scm scm;
    for (int i = 0; i < kServices; ++i)
        scm.Add("Svc" + std::to_string(i), "Servicio n\xFAmero " + std::to_string(i));
    HistoryLog log(real.files, real.locale, real.texts);
    AppContext context(real.Interfaces().With(scm), log);
    CVantorelDocument document(app, context);
    if (!document.Core().OpenDocument("localhost")) return 1;
    auto* frame = new CVantorelMainFrame(app, context);  // it goes with its window
    if (!frame->Create(&document)) return 1;
    frame->InitialUpdateFrame(&document);
    ShowWindow(frame->GetSafeHwnd(), SW_SHOW);
    auto& view = *dynamic_cast<CVantorelView*>(frame->GetActiveView());
    HWND list = view.GetSafeHwnd(), box = frame->FilterBox().GetSafeHwnd();
    Settle(frame->GetSafeHwnd());

    std::vector<std::string> steps = Steps();
    std::vector<Rows> shown(steps.size());
    std::vector<double> ours, bare;
    double slowest = 0;
    for (int round = 0; round < kRounds; ++round) {
        double typing = 0, filling = 0;
        for (size_t step = 0; step < steps.size(); ++step) {
            // A key typed or taken back is one change of the box's text.
            double key = Timed([&] {
                SetWindowTextA(box, steps[step].c_str());
                Settle(list);
            });
            typing += key;
            slowest = std::max(slowest, key);
            if (round == 0) shown[step] = view.Lines(false);
            if (view.Lines(false).size() != shown[step].size()) {
                std::printf("the rows for \"%s\" differ between rounds\n", steps[step].c_str());
                Fail();
            }
        }
        HWND bareList = BareList(list, view.Titles().size());
        Settle(bareList);
        for (const Rows& rows : shown) filling += Timed([&] { BareRows(bareList, rows); });
        DestroyWindow(bareList);
        ours.push_back(typing);
        bare.push_back(filling);
    }
    // "svc12" keeps Svc12 and Svc120 to Svc129 and Svc1200 to Svc1299.
    const size_t whole = sizeof kTyped - 2;
    if (shown[whole].size() != 111 || shown.back().size() != 3000u) {
        std::printf("the filter kept %zu and %zu rows, not 111 and 3000\n", shown[whole].size(),
                    shown.back().size());
        Fail();
    }
    std::printf("filter typed, %d services, %zu keys a round, %d rounds:\n", kServices,
                steps.size(), kRounds);
    Report("keys to paint", ours, bare, 1.5);
    std::printf("slowest key: %.1f ms (50 ms at most keeps typing fluid)\n", slowest);
    DestroyWindow(frame->GetSafeHwnd());
    return ExitStatus();
}

}  // namespace

int main() {
    WindowBench app(ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES);
    return Measure(app);
}
