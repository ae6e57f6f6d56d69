// The framework's modal dialogs, run in-process: what a user types and
// clicks reaches the members only through a confirmed, accepted exchange.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/Dialog.h"
#include "framework/Resources.h"
#include "tests/windows/dialogs/test_dialog.h"

namespace {

const UINT kRunScript = WM_APP + 1;

// The test program's own resources, where the test dialogs are.
const Resources& OwnResources() {
    static platform::TextsInUse none;
    static Resources resources(none);
    return resources;
}

// The test dialog runs `script` once it is up, as a user would act on it; a
// script posts kRunScript to go on in a later step, which never comes once
// the dialog has ended.
class CTestDialog : public CDialog {
public:
    explicit CTestDialog(UINT templateId = IDD_TEST_DIALOG) : CDialog(OwnResources(), templateId) {}

    std::string name = "initial";
    int enabled = BST_CHECKED;
    int choice = 2;
    int refused = 0;
    std::function<void(HWND, int step)> script;

protected:
    void DoDataExchange(CDataExchange& dx) override {
        dx.Text(IDC_TEST_NAME, name);
        dx.Check(IDC_TEST_ENABLED, enabled);
        dx.Radio(IDC_TEST_FIRST_CHOICE, choice);
        if (dx.Saving() && name.empty()) {
            ++refused;
            dx.Fail(IDC_TEST_NAME);
        }
    }
    bool OnInitDialog() override {
        bool focus = CDialog::OnInitDialog();
        ::PostMessageA(m_hWnd, kRunScript, 0, 0);
        return focus;
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kRunScript && script) script(m_hWnd, step_++);
        return CDialog::WindowProc(msg, wp, lp);
    }

private:
    int step_ = 0;
};

std::string TextOf(HWND dialog, int id) {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void Click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

TEST(DialogWindowsTest, MembersReachTheControlsAndComeBackOnlyWhenAccepted) {
    CTestDialog dialog;
    bool focused = false;
    dialog.script = [&](HWND hwnd, int step) {
        if (step == 0) {
            EXPECT_EQ(TextOf(hwnd, IDC_TEST_NAME), "initial");
            EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_TEST_ENABLED), static_cast<UINT>(BST_CHECKED));
            EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_TEST_THIRD_CHOICE),
                      static_cast<UINT>(BST_CHECKED));
            EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_TEST_FIRST_CHOICE),
                      static_cast<UINT>(BST_UNCHECKED));
            // An empty name is refused: the dialog stays, with the name focused.
            SetDlgItemTextA(hwnd, IDC_TEST_NAME, "");
            Click(hwnd, IDOK);
            focused = GetFocus() == GetDlgItem(hwnd, IDC_TEST_NAME);
            PostMessageA(hwnd, kRunScript, 0, 0);
            return;
        }
        SetDlgItemTextA(hwnd, IDC_TEST_NAME, "typed");
        Click(hwnd, IDC_TEST_ENABLED);
        Click(hwnd, IDC_TEST_SECOND_CHOICE);
        Click(hwnd, IDC_TEST_AFTER_GROUP);  // another group: not a choice of this one
        Click(hwnd, IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(focused);
    EXPECT_EQ(dialog.refused, 1);
    EXPECT_EQ(dialog.name, "typed");
    EXPECT_EQ(dialog.enabled, BST_UNCHECKED);
    EXPECT_EQ(dialog.choice, 1);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

TEST(DialogWindowsTest, CancelAndEscapeLeaveTheMembersAsTheyWere) {
    for (bool escape : {false, true}) {
        CTestDialog dialog;
        dialog.script = [escape](HWND hwnd, int) {
            SetDlgItemTextA(hwnd, IDC_TEST_NAME, "changed");
            Click(hwnd, IDC_TEST_FIRST_CHOICE);
            if (escape)
                SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
            else
                Click(hwnd, IDCANCEL);
        };
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(dialog.name, "initial");
        EXPECT_EQ(dialog.choice, 2);
    }
}

TEST(DialogWindowsTest, AMissingTemplateIsReportedAndShowsNothing) {
    CTestDialog dialog(IDD_TEST_MISSING);
    bool shown = false;
    dialog.script = [&](HWND hwnd, int) {
        shown = true;
        Click(hwnd, IDCANCEL);
    };
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(shown);
}

}  // namespace
