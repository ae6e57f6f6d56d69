#pragma once
// The application object: message loop with idle-time command updates, the
// profile under the current user's registry key, the recent list, and the
// single-document template with its new, open and save flows.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "platform/RegistryApi.h"

class CDocument;
class CFrameWnd;

class CWinApp {
public:
    CWinApp() = default;
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual bool InitInstance() = 0;
    virtual int ExitInstance();
    virtual bool OnIdle();
    virtual bool OnCommand(UINT id);
    // Logoff or shutdown: the program may be ended at any moment after this.
    virtual void OnEndSession() {}
    virtual bool OnUpdateCommand(CCmdUI& ui);
    int Run();
    // The keys of a message the loop took: true when an accelerator or a
    // modeless dialog used it, and it goes no further.
    bool PreTranslateMessage(MSG* msg);

    // Profile: HKEY_CURRENT_USER\Software\<company>\<application name>, in
    // the application's registry.
    void SetRegistryKey(platform::RegistryApi& registry, const char* company);
    std::string ProfileKey() const;
    void LoadStdProfileSettings(int recentCount);
    void AddToRecentFileList(const char* path);
    const std::vector<std::string>& RecentFiles() const { return recent_; }

    // The single-document template: the document type string (its parts
    // separated by line breaks), and how to make the document and its frame.
    void SetDocTemplate(std::string documentString, std::function<CDocument*()> makeDocument,
                        std::function<CFrameWnd*(CDocument*)> makeFrame);
    std::string GetDocString(int index) const;
    bool OnFileNew();
    CDocument* OpenDocumentFile(const char* path);
    bool PromptForFileName(std::string* path, bool save, const char* defaultName);
    void OnDocumentTitleChanged(CDocument* document);
    CDocument* GetDocument() const { return document_; }

    std::string m_appName;
    std::string m_exeName;
    CFrameWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = SW_SHOW;
    HACCEL m_accelerators = nullptr;

protected:
    bool CreateDocumentAndFrame();

private:
    void SaveRecentList();
    platform::RegistryApi* registry_ = nullptr;
    std::string company_;
    size_t recentMax_ = 4;
    std::vector<std::string> recent_;
    std::string documentString_;
    std::function<CDocument*()> makeDocument_;
    std::function<CFrameWnd*(CDocument*)> makeFrame_;
    CDocument* document_ = nullptr;
};
