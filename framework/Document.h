#pragma once
// One document shown by views in one frame, with the path name and title
// the framework's open, new and save flows keep.
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "framework/Wnd.h"

class CDocument;

// One print job: the choices of the print dialog and the pages to print.
struct CPrintInfo {
    PRINTDLGA dialog{};
    UINT minPage = 1;
    UINT maxPage = 1;
    UINT currentPage = 1;
};

class CWinApp;

class CView : public CWnd {
public:
    explicit CView(const Resources& resources) : CWnd(resources) {}
    CDocument* GetDocument() const { return document_; }
    void SetDocument(CDocument* document) { document_ = document; }
    // The frame made this view its pane; fill it from the document.
    virtual void OnInitialUpdate() { OnUpdate(); }
    // The document changed.
    virtual void OnUpdate() {}

protected:
    // The standard printing, for views that route their print command here:
    // the print dialog, then every page drawn by OnPrint in one print job.
    void OnFilePrint();
    // Sets the pages and asks the user for the printer; false cancels.
    virtual bool OnPreparePrinting(CPrintInfo& info) { return DoPreparePrinting(info); }
    bool DoPreparePrinting(CPrintInfo& info);
    virtual void OnBeginPrinting(HDC, CPrintInfo&) {}
    virtual void OnPrint(HDC dc, CPrintInfo&) { OnDraw(dc); }
    virtual void OnDraw(HDC) {}
    virtual void OnEndPrinting(HDC, CPrintInfo&) {}

private:
    bool PrintPages(HDC dc, CPrintInfo& info);

    CDocument* document_ = nullptr;
};

class CDocument {
public:
    // The application keeps the recent list, the file dialogs' filter and
    // the frame's title that the document's flows change.
    explicit CDocument(CWinApp& app) : app_(app) {}
    virtual ~CDocument() = default;

    virtual void SetPathName(const char* path, bool addToRecent);
    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const char* path);
    virtual bool OnSaveDocument(const char* path);
    virtual bool OnCommand(UINT id);
    virtual bool OnUpdateCommand(CCmdUI& ui);

    const std::string& GetPathName() const { return pathName_; }
    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title);
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true) { modified_ = modified; }

    void AddView(CView* view);
    const std::vector<CView*>& Views() const { return views_; }
    void UpdateAllViews(CView* sender = nullptr);

protected:
    void SetPathNameOnly(const std::string& path) { pathName_ = path; }
    CWinApp& App() const { return app_; }

private:
    CWinApp& app_;
    std::string pathName_;
    std::string title_;
    bool modified_ = false;
    std::vector<CView*> views_;
};
