#include <cstdlib>

#include "framework/Document.h"
#include "framework/Resources.h"
#include "platform/win32/Handles.h"
#include "res/resource.h"

bool CView::DoPreparePrinting(CPrintInfo& info) {
    PRINTDLGA& dialog = info.dialog;
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ::GetAncestor(m_hWnd, GA_ROOT);
    dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE |
                   (info.maxPage == info.minPage ? PD_NOPAGENUMS : 0);
    dialog.nMinPage = dialog.nFromPage = static_cast<WORD>(info.minPage);
    dialog.nMaxPage = dialog.nToPage = static_cast<WORD>(info.maxPage);
    if (!::PrintDlgA(&dialog) || !dialog.hDC) return false;
    if (dialog.Flags & PD_PAGENUMS) {
        info.minPage = dialog.nFromPage;
        info.maxPage = dialog.nToPage;
    }
    return true;
}

bool CView::PrintPages(HDC dc, CPrintInfo& info) {
    for (info.currentPage = info.minPage; info.currentPage <= info.maxPage; ++info.currentPage) {
        if (::StartPage(dc) <= 0) return false;
        OnPrint(dc, info);
        if (::EndPage(dc) <= 0) return false;
    }
    return true;
}

void CView::OnFilePrint() {
    CPrintInfo info;
    bool prepared = OnPreparePrinting(info);
    // What the print dialog hands out is the caller's to free.
    MemoryDC printer(info.dialog.hDC);
    GlobalMemory devMode(info.dialog.hDevMode), devNames(info.dialog.hDevNames);
    HDC dc = printer.get();
    if (prepared && dc) {
        const std::string title = document_ ? document_->GetTitle() : std::string();
        DOCINFOA job{};
        job.cbSize = sizeof job;
        job.lpszDocName = title.c_str();
        bool printed = ::StartDocA(dc, &job) > 0;
        if (printed) {
            OnBeginPrinting(dc, info);
            printed = PrintPages(dc, info);
            OnEndPrinting(dc, info);
            if (printed)
                printed = ::EndDoc(dc) > 0;
            else
                ::AbortDoc(dc);
        }
        if (!printed)
            ShowMessage(info.dialog.hwndOwner, Res().LoadText(IDS_PRINT_FAILED),
                        MB_OK | MB_ICONERROR);
    }
}
