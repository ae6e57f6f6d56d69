#include "ui/CAboutDlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include "framework/Resources.h"
#include "res/resource.h"
#include "settings/FileVersionInfo.h"
#include "toolkit/ListCtrlSupport.h"
#include "views/AboutText.h"

namespace {

const COLORREF kBackground = 0xCCAA99;
const COLORREF kLinkText = 0x990000;
const COLORREF kText = 0x663300;
const int kLinks[] = {IDC_ABOUT_TEAM, IDC_ABOUT_MAIL, IDC_ABOUT_WEB, IDC_ABOUT_DONATION};

void Open(const std::string& link) {
    ::ShellExecuteA(nullptr, nullptr, link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool CursorOver(HWND control, POINT cursor) {
    RECT r;
    return control && ::GetWindowRect(control, &r) && ::PtInRect(&r, cursor);
}

}  // namespace

CAboutDlg::CAboutDlg(AppContext& context, HWND parent)
    : CDialog(context.resources, IDD_ABOUT, parent), context_(context) {}

void CAboutDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_ABOUT_VERSION, versionText_);
    dx.Text(IDC_ABOUT_APPEAL, appeal_);
}

bool CAboutDlg::OnInitDialog() {
    icon_ = Res().LoadIconResource(IDI_TRAY, ::GetSystemMetrics(SM_CXSMICON));
    if (icon_) SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));

    platform::Platform& p = context_.platform;
    FileVersionInfo info(p.versions, p.textsInUse.VersionFile(p.modules));
    versionText_ = AboutVersionText(info, Res().LoadText(IDS_ABOUT_RELEASE));
    appeal_ = Res().LoadText(IDS_ABOUT_APPEAL);
    CDialog::OnInitDialog();
    ::SetDlgItemTextA(m_hWnd, IDC_ABOUT_MAIL,
                      info.StringItem(FileVersionInfo::kCompanyName).c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_ABOUT_WEB, info.StringItem(FileVersionInfo::kComments).c_str());

    LOGFONTA font{};
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (dialogFont && ::GetObjectA(dialogFont, sizeof font, &font)) {
        normalFont_.reset(::CreateFontIndirectA(&font));
        font.lfUnderline = TRUE;
        underlinedFont_.reset(::CreateFontIndirectA(&font));
    }
    background_.reset(::CreateSolidBrush(kBackground));
    MakeLogo();
    team_ = Res().LoadPicture(IDB_ABOUT_TEAM);
    teamLit_ = Res().LoadPicture(IDB_ABOUT_TEAM_LIT);
    donation_ = Res().LoadPicture(IDB_ABOUT_DONATION);
    donationLit_ = Res().LoadPicture(IDB_ABOUT_DONATION_LIT);
    ShowPicture(IDC_ABOUT_TEAM, team_.get());
    ShowPicture(IDC_ABOUT_DONATION, donation_.get());
    hand_ = Res().LoadSharedCursor(IDC_LINK_HAND);

    ::SetTimer(m_hWnd, kHoverTimer, 100, nullptr);
    AddTooltips();
    return true;
}

// The logo's background takes the box's colour: the area of its corner's
// colour is filled from that corner.
void CAboutDlg::MakeLogo() {
    logo_ = Res().LoadPicture(IDB_ABOUT_LOGO);
    if (!logo_) return;
    {
        WindowDC screen(nullptr);
        MemoryDC memory(::CreateCompatibleDC(screen.get()));
        SelectedObject bitmap(memory.get(), logo_.get());
        SelectedObject brush(memory.get(), background_.get());
        COLORREF corner = ::GetPixel(memory.get(), 0, 0);
        ::ExtFloodFill(memory.get(), 0, 0, corner, FLOODFILLSURFACE);
    }
    ShowPicture(IDC_ABOUT_LOGO, logo_.get());
}

void CAboutDlg::ShowPicture(int id, HBITMAP image) {
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (!control || !image) return;
    auto shown = reinterpret_cast<HBITMAP>(::SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (shown == image) return;
    ::SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    // The picture the template loaded is the control's; ours are kept.
    for (HBITMAP ours :
         {logo_.get(), team_.get(), teamLit_.get(), donation_.get(), donationLit_.get()})
        if (shown == ours) return;
    Bitmap replaced(shown);
}

void CAboutDlg::AddTooltips() {
    HWND tips = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, 0, 0, 0,
                                  0, m_hWnd, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!tips) return;
    for (int id : kLinks) {
        TTTOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = reinterpret_cast<UINT_PTR>(::GetDlgItem(m_hWnd, id));
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        ::SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CAboutDlg::SetLinkFont(int id, bool underlined) {
    HFONT font = underlined ? underlinedFont_.get() : normalFont_.get();
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (font && control &&
        reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)) != font)
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CAboutDlg::OnHoverTick() {
    POINT cursor;
    if (!::GetCursorPos(&cursor)) return;
    cursor_ = nullptr;
    for (int id : {IDC_ABOUT_MAIL, IDC_ABOUT_WEB}) {
        bool over = CursorOver(::GetDlgItem(m_hWnd, id), cursor);
        SetLinkFont(id, over);
        if (over) cursor_ = hand_;
    }
    bool overTeam = CursorOver(::GetDlgItem(m_hWnd, IDC_ABOUT_TEAM), cursor);
    ShowPicture(IDC_ABOUT_TEAM, overTeam ? teamLit_.get() : team_.get());
    bool overDonation = CursorOver(::GetDlgItem(m_hWnd, IDC_ABOUT_DONATION), cursor);
    ShowPicture(IDC_ABOUT_DONATION, overDonation ? donationLit_.get() : donation_.get());
    if (overTeam || overDonation) cursor_ = hand_;
}

bool CAboutDlg::OnCommand(UINT id) {
    switch (id) {
        case IDC_ABOUT_MAIL:
            Open(MailLink());
            return true;
        case IDC_ABOUT_WEB: {
            std::string text = WindowText(::GetDlgItem(m_hWnd, IDC_ABOUT_WEB));
            if (IsWebAddress(text)) Open(text);
            return true;
        }
        case IDC_ABOUT_DONATION:
            Open(DonationLink());
            return true;
        case IDC_ABOUT_TEAM:
            Open(MakerSiteLink());
            return true;
        default:
            return false;
    }
}

LRESULT CAboutDlg::ControlColour(HDC dc, HWND control) {
    int id = control == m_hWnd ? 0 : ::GetDlgCtrlID(control);
    ::SetTextColor(dc, id == IDC_ABOUT_MAIL || id == IDC_ABOUT_WEB ? kLinkText : kText);
    ::SetBkColor(dc, kBackground);
    return reinterpret_cast<LRESULT>(background_.get());
}

// The system's colours, the links in the colour it gives them.
LRESULT CAboutDlg::HighContrastColour(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT brush = CDialog::WindowProc(msg, wp, lp);
    int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lp));
    if (msg == WM_CTLCOLORSTATIC && (id == IDC_ABOUT_MAIL || id == IDC_ABOUT_WEB))
        ::SetTextColor(reinterpret_cast<HDC>(wp), ::GetSysColor(COLOR_HOTLIGHT));
    return brush;
}

LRESULT CAboutDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            if (wp == kHoverTimer) {
                OnHoverTick();
                return 0;
            }
            break;
        case WM_SETCURSOR:
            if (cursor_) {
                ::SetCursor(cursor_);
                return TRUE;
            }
            break;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (listctrl::HighContrast()) return HighContrastColour(msg, wp, lp);
            if (background_) {
                CDialog::WindowProc(msg, wp, lp);
                return ControlColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
            }
            break;
        // A link's tooltip is the string of its control id.
        case WM_NOTIFY:
            if (Res().AnswerTooltip(reinterpret_cast<NMHDR*>(lp))) return 0;
            break;
        case WM_DESTROY:
            ::KillTimer(m_hWnd, kHoverTimer);
            break;
        default:
            break;
    }
    return CDialog::WindowProc(msg, wp, lp);
}
