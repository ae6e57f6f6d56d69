#include "framework/Document.h"

#include "document/SnapshotSave.h"
#include "framework/WinApp.h"
#include "res/resource.h"

void CDocument::SetPathName(const char* path, bool addToRecent) {
    pathName_ = path ? path : "";
    std::string title = FileNameOf(pathName_);
    if (!title.empty()) SetTitle(title);
    if (addToRecent) app_.AddToRecentFileList(pathName_.c_str());
}

bool CDocument::OnNewDocument() {
    pathName_.clear();
    modified_ = false;
    return true;
}

bool CDocument::OnOpenDocument(const char*) {
    return true;
}
bool CDocument::OnSaveDocument(const char*) {
    return true;
}

// The framework's save flow: ask for a file with the document type's filter
// and extension, then let the document write it.
bool CDocument::OnCommand(UINT id) {
    if (id != ID_FILE_SAVE) return false;
    std::string path;
    if (app_.PromptForFileName(&path, true, title_.c_str()) && OnSaveDocument(path.c_str()))
        SetPathName(path.c_str(), false);
    return true;
}

bool CDocument::OnUpdateCommand(CCmdUI& ui) {
    return ui.id == ID_FILE_SAVE;
}

void CDocument::SetTitle(const std::string& title) {
    title_ = title;
    app_.OnDocumentTitleChanged(this);
}

void CDocument::AddView(CView* view) {
    views_.push_back(view);
    view->SetDocument(this);
}

void CDocument::UpdateAllViews(CView* sender) {
    for (CView* view : views_)
        if (view != sender && view->GetSafeHwnd()) view->OnUpdate();
}
