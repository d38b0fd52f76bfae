#include "ui/win32/main_view.h"

#include <algorithm>

#include "app/frm_main.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/resource.h"

namespace tessaly::ui {

namespace {

// The template's client height and the banner's place below the link
// status line, in dialog units.
constexpr int kTemplateHeight = 92;
constexpr int kBannerTop = 88, kMargin = 7;

}  // namespace

MainView::MainView(Win32Ui& ui, FrmMain& model, const ViewDef& def)
    : DialogView(ui, model, def), main_(model), banner_brush_(CreateSolidBrush(kBannerBack)) {}

MainView::~MainView() {
    destroy();
    if (banner_brush_) DeleteObject(banner_brush_);
    if (banner_font_) DeleteObject(banner_font_);
}

void MainView::make_fonts() {
    HWND banner = GetDlgItem(hwnd_, IDC_ALERT_BANNER);
    HFONT base = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!banner || !base || !GetObjectW(base, sizeof lf, &lf)) return;
    lf.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&lf);
    if (!bold) return;
    SendMessageW(banner, WM_SETFONT, reinterpret_cast<WPARAM>(bold), TRUE);
    if (banner_font_) DeleteObject(banner_font_);
    banner_font_ = bold;
    banner_laid_out_ = false;  // the text's height changed with the font
    layout_banner();
}

void MainView::render_more() {
    const Control& c = main_.alert_banner;
    const bool shown = c.visible && !c.text.empty();
    if (banner_laid_out_ && shown == banner_shown_ && (!shown || c.text == banner_text_)) return;
    layout_banner();
}

void MainView::layout_banner() {
    HWND banner = GetDlgItem(hwnd_, IDC_ALERT_BANNER);
    if (!banner || !model_) return;
    // A minimized window has no client area to measure: laid out when restored.
    if (IsIconic(hwnd_)) {
        banner_laid_out_ = false;
        return;
    }
    const Control& c = main_.alert_banner;
    banner_shown_ = c.visible && !c.text.empty();
    banner_text_ = c.text;
    banner_laid_out_ = true;
    RECT dlu{kMargin, kBannerTop, 0, kTemplateHeight};
    MapDialogRect(hwnd_, &dlu);
    RECT below{0, 0, 0, kMargin};
    MapDialogRect(hwnd_, &below);
    RECT client{};
    GetClientRect(hwnd_, &client);
    int want = dlu.bottom;  // the template's height
    if (banner_shown_) {
        const int width = std::max(0, static_cast<int>(client.right - 2 * dlu.left));
        // The text's height as the static will draw it (wrapped at words),
        // at most kBannerMaxLines lines; the rest is cut.
        HDC dc = GetDC(banner);
        HGDIOBJ old = SelectObject(
            dc, banner_font_ ? banner_font_
                             : reinterpret_cast<HFONT>(SendMessageW(banner, WM_GETFONT, 0, 0)));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        std::wstring text = win32::widen(c.text);
        RECT r{0, 0, width, 0};
        DrawTextW(dc, text.c_str(), -1, &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_CENTER | DT_EXPANDTABS);
        SelectObject(dc, old);
        ReleaseDC(banner, dc);
        const int line = std::max(1, static_cast<int>(tm.tmHeight));
        const int height = std::clamp(static_cast<int>(r.bottom), line, kBannerMaxLines * line);
        MoveWindow(banner, dlu.left, dlu.top, width, height, TRUE);
        want = dlu.top + height + below.bottom;
    }
    if (client.bottom == want) return;
    RECT w{};
    GetWindowRect(hwnd_, &w);
    int top = w.top;
    const int height = w.bottom - w.top + want - static_cast<int>(client.bottom);
    // Grown past the bottom of the screen it moves up, so the banner shows.
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (HMONITOR mon = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST);
        mon && GetMonitorInfoW(mon, &mi) && top + height > mi.rcWork.bottom)
        top =
            std::max(static_cast<int>(mi.rcWork.top), static_cast<int>(mi.rcWork.bottom) - height);
    SetWindowPos(hwnd_, nullptr, w.left, top, w.right - w.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The main window is closed only by its close box (Esc does not close it).
INT_PTR MainView::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_ENDSESSION:
            // Windows is logging off: leave the placefile as closing would.
            if (wp) forward([this] { model_->close_request(); });
            return TRUE;
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE) forward([this] { main_.Form_Activate(); });
            return FALSE;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lp) == GetDlgItem(hwnd_, IDC_ALERT_BANNER) &&
                banner_brush_) {
                HDC dc = reinterpret_cast<HDC>(wp);
                SetTextColor(dc, kBannerText);
                SetBkColor(dc, kBannerBack);
                return reinterpret_cast<INT_PTR>(banner_brush_);
            }
            return FALSE;
        case WM_SIZE:
            if (wp != SIZE_MINIMIZED && !banner_laid_out_) layout_banner();
            return FALSE;
        case WM_DPICHANGED: {
            // The template's height and the text's are new: the banner is laid out again.
            INT_PTR used = DialogView::handle(msg, wp, lp);
            banner_laid_out_ = false;
            layout_banner();
            return used;
        }
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (di && (di->CtlID == IDC_STATUS_ON || di->CtlID == IDC_STATUS_OFF)) {
                draw_status_image(*di);
                return TRUE;
            }
            return FALSE;
        }
        default: return DialogView::handle(msg, wp, lp);
    }
}

// The pause toggle's two images: a lit green lamp while the link runs, a
// dark red one while it is paused.
void MainView::draw_status_image(const DRAWITEMSTRUCT& di) {
    bool on = di.CtlID == IDC_STATUS_ON;
    RECT r = di.rcItem;
    FillRect(di.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    int size = std::min(r.right - r.left, r.bottom - r.top);
    RECT c{r.left, r.top + (r.bottom - r.top - size) / 2, r.left + size,
           r.top + (r.bottom - r.top - size) / 2 + size};
    InflateRect(&c, -1, -1);
    if (di.itemState & ODS_FOCUS) DrawFocusRect(di.hDC, &r);
    HBRUSH fill = CreateSolidBrush(on ? RGB(40, 200, 70) : RGB(200, 40, 40));
    HPEN edge = CreatePen(PS_SOLID, 1, on ? RGB(20, 110, 40) : RGB(110, 20, 20));
    HGDIOBJ old_brush = SelectObject(di.hDC, fill);
    HGDIOBJ old_pen = SelectObject(di.hDC, edge);
    Ellipse(di.hDC, c.left, c.top, c.right, c.bottom);
    // A highlight so the lamp reads as a button.
    HBRUSH shine = CreateSolidBrush(on ? RGB(170, 250, 180) : RGB(240, 150, 150));
    int s = std::max(2, size / 4);
    RECT h{c.left + size / 4, c.top + size / 5, c.left + size / 4 + s, c.top + size / 5 + s};
    HGDIOBJ old2 = SelectObject(di.hDC, shine);
    SelectObject(di.hDC, GetStockObject(NULL_PEN));
    Ellipse(di.hDC, h.left, h.top, h.right, h.bottom);
    SelectObject(di.hDC, old2);
    SelectObject(di.hDC, old_pen);
    SelectObject(di.hDC, old_brush);
    DeleteObject(shine);
    DeleteObject(edge);
    DeleteObject(fill);
}

}  // namespace tessaly::ui
