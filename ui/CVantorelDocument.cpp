#include "ui/CVantorelDocument.h"

#include "document/SnapshotSave.h"
#include "framework/Answering.h"
#include "framework/FrameWnd.h"
#include "framework/Resources.h"
#include "framework/WinApp.h"
#include "platform/MessageText.h"
#include "res/resource.h"
#include "ui/ServiceViewSupport.h"

CVantorelDocument::CVantorelDocument(CWinApp& app, AppContext& context)
    : CDocument(app),
      context_(context),
      core_(context.platform.scm, context.platform.registry, context.platform.texts,
            context.platform.clock) {}

CFrameWnd* CVantorelDocument::MainFrame() const {
    CFrameWnd* frame = App().m_pMainWnd;
    return frame && frame->GetSafeHwnd() ? frame : nullptr;
}

void CVantorelDocument::ShowError(UINT icon) {
    CFrameWnd* frame = MainFrame();
    ShowMessage(ModalOwner(frame ? frame->GetSafeHwnd() : nullptr), core_.lastErrorText,
                MB_OK | icon);
}

// The path name is a tick count, never a file; the title is the machine.
void CVantorelDocument::SetPathName(const char* path, bool addToRecent) {
    if (core_.openMode == ServicesDocument::kSaveSnapshot) return;
    SetPathNameOnly(std::to_string(::GetTickCount()));
    std::string title = FileNameOf(path ? path : "");
    if (!title.empty()) SetTitle(title);
    if (addToRecent) App().AddToRecentFileList(title.c_str());
}

bool CVantorelDocument::LoadServices() {
    std::shared_ptr<MachineOpening> opening = core_.StartReload();
    if (!Answered(opening, core_.title) || !core_.FinishOpening(*opening)) return false;
    SetTitle(core_.title);
    return true;
}

void CVantorelDocument::RefuseWhileBusy() {
    ::MessageBeep(MB_ICONEXCLAMATION);
    if (CFrameWnd* frame = MainFrame())
        frame->SetMessageText(context_.resources.LoadText(IDS_BUSY_WAIT));
}

bool CVantorelDocument::RunBusy(std::function<void()> work) {
    return RunWithServices(core_, std::move(work), {answering::IgnoreEsc, {}});
}

// The opening's waits run on a thread of their own while the status bar
// says whom they wait for; false when given up (Esc) or refused because
// another opening is under way.
bool CVantorelDocument::Answered(const std::shared_ptr<MachineOpening>& opening,
                                 const std::string& machine) {
    cancelled_ = false;
    CFrameWnd* frame = MainFrame();
    if (core_.busy) {
        RefuseWhileBusy();
        cancelled_ = true;
        return false;
    }
    if (!opening_.empty()) {
        ShowMessage(ModalOwner(frame ? frame->GetSafeHwnd() : nullptr),
                    FormatText(context_.resources.LoadText(IDS_OPENING_BUSY), opening_.c_str()),
                    MB_OK | MB_ICONEXCLAMATION);
        cancelled_ = true;
        return false;
    }
    opening_ = machine;
    if (frame)
        frame->SetMessageText(
            FormatText(context_.resources.LoadText(IDS_CONNECTING), machine.c_str()));
    bool finished = answering::Run([opening] { opening->Run(); });
    opening_.clear();
    frame = MainFrame();
    if (frame) frame->SetMessageText(context_.resources.LoadText(AFX_IDS_IDLEMESSAGE));
    cancelled_ = !finished;
    return finished;
}

bool CVantorelDocument::OnNewDocument() {
    core_.lastErrorText.clear();
    if (!CDocument::OnNewDocument()) return false;
    ServicesDocument::NewResult result = core_.NewDocument();
    if (result == ServicesDocument::kNewFailed) {
        ShowError(MB_ICONERROR);
        return false;
    }
    SetTitle(core_.title);
    if (result == ServicesDocument::kNewLoadedWithDefaults) ShowError(MB_ICONEXCLAMATION);
    SetModifiedFlag(false);
    context_.history.WriteConnected(GetTitle());
    return true;
}

// The machine is the last part of the path: a machine name may hold dots
// that a file title would take for an extension. The connection and the
// enumeration wait on a thread of their own, the window answering, with the
// previous machine's list shown until the new one is whole; Esc gives up.
bool CVantorelDocument::OnOpenDocument(const char* path) {
    std::string name = FileNameOf(path ? path : "");
    std::shared_ptr<MachineOpening> opening = core_.StartOpening(name);
    if (!Answered(opening, name)) return false;
    if (!core_.FinishOpening(*opening)) {
        ShowError(MB_ICONERROR);
        return false;
    }
    SetTitle(core_.title);
    SetModifiedFlag(false);
    context_.history.WriteConnected(GetTitle());
    return true;
}

bool CVantorelDocument::OnSaveDocument(const char* path) {
    if (core_.SaveSnapshot(context_.platform.files, context_.platform.locale, path ? path : ""))
        return true;
    ShowError(MB_ICONERROR);
    return false;
}

bool CVantorelDocument::CompareWithFile(const char* path) {
    if (core_.CompareWithFile(context_.platform.files, path ? path : "")) return true;
    ShowError(MB_ICONERROR);
    return false;
}

void CVantorelDocument::ShowWindow(short showCommand) {
    CFrameWnd* frame = MainFrame();
    if (!frame) return;
    ::ShowWindow(frame->GetSafeHwnd(), showCommand);
    if (!frame->IsWindowVisible() || frameShown_) return;
    if (context_.automation) {
        frame->InitialUpdateFrame(this);
        frameShown_ = true;
    }
    SetModifiedFlag(false);
}

short CVantorelDocument::IsWindowVisible() {
    CFrameWnd* frame = MainFrame();
    return frame && frame->IsWindowVisible() ? 1 : 0;
}

void CVantorelDocument::ExitApplication() {
    if (CFrameWnd* frame = MainFrame()) frame->DestroyWindow();
}

// A program started for a client ends with the client, unless the user has
// its window in front of them.
void CVantorelDocument::OnLastRelease() {
    if (!context_.automation) return;
    CFrameWnd* frame = MainFrame();
    if (frame && frame->IsWindowVisible()) return;
    if (frame)
        frame->DestroyWindow();
    else
        ::PostQuitMessage(0);
}
