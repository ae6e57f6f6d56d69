#include "framework/WinApp.h"

#include "framework/Dialog.h"
#include "framework/Document.h"
#include "framework/FileDialog.h"
#include "framework/FrameWnd.h"
#include "framework/Resources.h"
#include "res/resource.h"
#include "settings/RegistryKey.h"

namespace {
const char kRecentSection[] = "Recent File List";
}  // namespace

CWinApp::~CWinApp() {
    delete document_;
}

int CWinApp::ExitInstance() {
    return 0;
}

bool CWinApp::OnCommand(UINT id) {
    if (id == ID_APP_EXIT) {
        if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
        return true;
    }
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + recent_.size()) {
        std::string path = recent_[id - ID_FILE_MRU_FILE1];
        OpenDocumentFile(path.c_str());
        return true;
    }
    return false;
}

bool CWinApp::OnUpdateCommand(CCmdUI& ui) {
    if (ui.id == ID_APP_EXIT) return true;
    if (ui.id >= ID_FILE_MRU_FILE1 && ui.id <= ID_FILE_MRU_FILE4) {
        ui.Enable(ui.id - ID_FILE_MRU_FILE1 < recent_.size());
        return true;
    }
    return false;
}

bool CWinApp::OnIdle() {
    if (m_pMainWnd && m_pMainWnd->GetSafeHwnd()) m_pMainWnd->UpdateCommandStates();
    return false;
}

int CWinApp::Run() {
    MSG msg;
    for (;;) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) OnIdle();
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (PreTranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

// The main window's keys act only in the main window; a modeless dialog
// has its own keyboard handling.
bool CWinApp::PreTranslateMessage(MSG* msg) {
    HWND main = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
    if (main && m_accelerators && ::GetAncestor(msg->hwnd, GA_ROOT) == main &&
        ::TranslateAcceleratorA(main, m_accelerators, msg))
        return true;
    return CDialog::PreTranslate(msg);
}

void CWinApp::SetRegistryKey(platform::RegistryApi& registry, const char* company) {
    registry_ = &registry;
    company_ = company;
}

std::string CWinApp::ProfileKey() const {
    return "Software\\" + company_ + "\\" + m_appName;
}

void CWinApp::LoadStdProfileSettings(int recentCount) {
    recentMax_ = static_cast<size_t>(recentCount);
    recent_.clear();
    if (!registry_) return;
    RegistryKey key(*registry_);
    std::string path = ProfileKey() + "\\" + kRecentSection;
    if (!key.Open(platform::reg::CurrentUser(), path.c_str(), false)) return;
    for (size_t i = 1; i <= recentMax_; ++i) {
        std::string value = key.ReadString(("File" + std::to_string(i)).c_str(), std::string());
        if (!value.empty()) recent_.push_back(value);
    }
}

void CWinApp::AddToRecentFileList(const char* path) {
    if (path == nullptr || *path == '\0' || recentMax_ == 0) return;
    for (auto it = recent_.begin(); it != recent_.end(); ++it) {
        if (::lstrcmpiA(it->c_str(), path) == 0) {
            recent_.erase(it);
            break;
        }
    }
    recent_.insert(recent_.begin(), path);
    if (recent_.size() > recentMax_) recent_.resize(recentMax_);
    SaveRecentList();
}

void CWinApp::SaveRecentList() {
    if (!registry_) return;
    RegistryKey key(*registry_);
    std::string path = ProfileKey() + "\\" + kRecentSection;
    if (!key.Open(platform::reg::CurrentUser(), path.c_str(), true)) return;
    for (size_t i = 1; i <= recentMax_; ++i) {
        std::string name = "File" + std::to_string(i);
        if (i <= recent_.size())
            key.WriteString(name.c_str(), recent_[i - 1]);
        else
            key.DeleteValue(name.c_str());
    }
}

void CWinApp::SetDocTemplate(std::string documentString, std::function<CDocument*()> makeDocument,
                             std::function<CFrameWnd*(CDocument*)> makeFrame) {
    documentString_ = std::move(documentString);
    makeDocument_ = std::move(makeDocument);
    makeFrame_ = std::move(makeFrame);
}

// Parts of the document type string, separated by line breaks: window title,
// document name, new-file name, filter name, extension, type id, type name.
std::string CWinApp::GetDocString(int index) const {
    const std::string& text = documentString_;
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = text.find('\n', start);
        if (start == std::string::npos) return std::string();
        ++start;
    }
    return text.substr(start, text.find('\n', start) - start);
}

bool CWinApp::CreateDocumentAndFrame() {
    if (document_ != nullptr) return true;
    document_ = makeDocument_();
    m_pMainWnd = makeFrame_(document_);
    return m_pMainWnd != nullptr;
}

bool CWinApp::OnFileNew() {
    if (!CreateDocumentAndFrame()) return false;
    document_->SetTitle(GetDocString(2));
    if (!document_->OnNewDocument()) return false;
    m_pMainWnd->InitialUpdateFrame(document_);
    return true;
}

CDocument* CWinApp::OpenDocumentFile(const char* path) {
    if (!CreateDocumentAndFrame()) return nullptr;
    if (!document_->OnOpenDocument(path)) return nullptr;
    document_->SetPathName(path, true);
    m_pMainWnd->InitialUpdateFrame(document_);
    return document_;
}

bool CWinApp::PromptForFileName(std::string* path, bool save, const char* defaultName) {
    std::string extension = GetDocString(4);
    std::string filter = GetDocString(3) + "|*" + extension + "||";
    HWND owner = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
    return ChooseFile(owner, filter, defaultName ? defaultName : "",
                      extension.empty() ? nullptr : extension.c_str() + 1, save, path);
}

void CWinApp::OnDocumentTitleChanged(CDocument* document) {
    if (m_pMainWnd && m_pMainWnd->GetSafeHwnd()) m_pMainWnd->UpdateTitle(document);
}
