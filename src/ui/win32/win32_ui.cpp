#include "ui/win32/win32_ui.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <functional>

#include "app/app.h"
#include "core/failure.h"
#include "eta/frm_custom_eta.h"
#include "platform/win32/win32_text.h"
#include "ui/win32/resource.h"
#include "ui/win32/views.h"

namespace tessaly::ui {

using win32::narrow;
using win32::widen;

// --- DPI -----------------------------------------------------------------------
// Looked up at run time: the calls exist from Windows 8.1 / 10 on, and the
// program also runs where they do not (falling back to the system DPI).

int twips_to_pixels(int twips, unsigned dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

namespace {

unsigned system_dpi() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<unsigned>(dpi) : 96u;
}

template <class F>
F user_proc(const char* dll, const char* name) {
    HMODULE m = GetModuleHandleA(dll);
    if (!m) m = LoadLibraryA(dll);
    return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

}  // namespace

unsigned dpi_at(POINT pt) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static auto get = user_proc<GetDpiForMonitorFn>("shcore.dll", "GetDpiForMonitor");
    if (get) {
        UINT x = 0, y = 0;
        HMONITOR mon = MonitorFromPoint(pt, MONITOR_DEFAULTTOPRIMARY);
        if (mon && SUCCEEDED(get(mon, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x > 0) return x;
    }
    return system_dpi();
}

unsigned dpi_of(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto get = user_proc<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    if (get && hwnd) {
        UINT d = get(hwnd);
        if (d > 0) return d;
    }
    return system_dpi();
}

// --- one view --------------------------------------------------------------------

namespace {

std::wstring strip_access_key(const std::wstring& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'&' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

std::wstring window_text(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(std::max(n, 0)) + 1, L'\0');
    n = GetWindowTextW(h, s.data(), static_cast<int>(s.size()));
    s.resize(static_cast<size_t>(std::max(n, 0)));
    return s;
}

bool is_multiline_edit(HWND h) { return (GetWindowLongW(h, GWL_STYLE) & ES_MULTILINE) != 0; }

// Multi-line edit controls break lines only at CR LF.
std::wstring crlf(const std::wstring& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\n' && (i == 0 || s[i - 1] != L'\r')) out += L'\r';
        out += s[i];
    }
    return out;
}

COLORREF colour(std::uint32_t bgr) { return static_cast<COLORREF>(bgr & 0xFFFFFF); }

}  // namespace

class View {
public:
    View(Win32Ui& ui, Window& model, const ViewSpec& spec);
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    HWND hwnd() const { return hwnd_; }
    const ViewSpec& spec() const { return spec_; }
    // The model is gone (window unloaded); the native window waits for
    // destruction outside any of its own handlers.
    void detach() { model_ = nullptr; }

    void render();
    void show(bool visible);
    void topmost();
    void drag();

private:
    struct Bound {
        Control* control = nullptr;
        int id = 0;
        HWND hwnd = nullptr;
        std::wstring design_text;  // the template's caption, with its access key
        bool rendered = false;
        std::string text;
        bool checked = false, enabled = true, visible = true;
        std::vector<std::string> items;
    };
    struct MenuBound {
        Control* control = nullptr;
        int id = 0;
        bool rendered = false;
        bool checked = false, enabled = true;
    };

    static INT_PTR CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp);
    void forward(const std::function<void()>& action);
    void forward(const void* key, const std::function<void()>& action);
    void on_command(int id, int code, HWND from);
    Bound* bound(int id);
    void place();
    void make_fonts();
    void add_tooltips();
    INT_PTR eta_colours(HDC dc, HWND control);
    void paint_frame();
    void draw_status_image(const DRAWITEMSTRUCT& di);

    Win32Ui& ui_;
    Window* model_;
    const ViewSpec& spec_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    std::vector<Bound> bound_;
    std::vector<MenuBound> menu_;
    std::vector<std::wstring> tooltip_texts_;
    bool rendering_ = false;
    bool placed_ = false;
    int placed_left_ = 0, placed_top_ = 0;
    std::string shown_caption_;
    // Small and medium ETA windows.
    std::uint32_t shown_colours_[4] = {};
    bool colours_rendered_ = false;
    HBRUSH back_brush_ = nullptr;
    HFONT list_font_ = nullptr;
};

View::View(Win32Ui& ui, Window& model, const ViewSpec& spec) : ui_(ui), model_(&model), spec_(spec) {
    HWND owner = nullptr;
    if (spec.kind != ViewKind::Main) owner = ui.hwnd_of("frmMain");
    // Editors and dialogs stay independent windows (with their own taskbar
    // buttons); the ETA windows float over the viewer and need no owner.
    if (spec.kind == ViewKind::EtaBox || spec.kind == ViewKind::EtaList) owner = nullptr;
    hwnd_ = CreateDialogParamW(ui.instance(), MAKEINTRESOURCEW(spec.dialog), owner, &View::proc,
                               reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return;
    for (const Binding& b : spec.bindings) {
        Control* c = model.control(b.control);
        HWND h = GetDlgItem(hwnd_, b.id);
        if (!c || !h) continue;
        Bound bd;
        bd.control = c;
        bd.id = b.id;
        bd.hwnd = h;
        bd.design_text = window_text(h);
        bound_.push_back(std::move(bd));
    }
    if (spec.kind == ViewKind::Main) {
        for (const Binding& b : main_menu_bindings())
            if (Control* c = model.control(b.control)) {
                MenuBound m;
                m.control = c;
                m.id = b.id;
                menu_.push_back(m);
            }
    }
    HICON big = static_cast<HICON>(LoadImageW(ui.instance(), MAKEINTRESOURCEW(IDI_TESSALY), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    HICON little = static_cast<HICON>(LoadImageW(ui.instance(), MAKEINTRESOURCEW(IDI_TESSALY), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0));
    if (big) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (little) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
    // One character per hotkey field.
    for (int id : {IDC_HKSELECT, IDC_HKERASE, IDC_HKETA})
        if (HWND h = GetDlgItem(hwnd_, id)) SendMessageW(h, EM_LIMITTEXT, 1, 0);
    make_fonts();
    add_tooltips();
    render();
}

View::~View() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
    if (tooltip_) DestroyWindow(tooltip_);
    if (back_brush_) DeleteObject(back_brush_);
    if (list_font_) DeleteObject(list_font_);
}

void View::make_fonts() {
    if (spec_.kind != ViewKind::EtaList) return;
    HWND list = GetDlgItem(hwnd_, IDC_LIST1);
    if (!list) return;
    HFONT old = list_font_;
    list_font_ = CreateFontW(-MulDiv(10, static_cast<int>(dpi_of(hwnd_)), 72), 0, 0, 0, FW_SEMIBOLD,
                             FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                             L"Segoe UI Semibold");
    if (list_font_) SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(list_font_), TRUE);
    if (old) DeleteObject(old);
}

void View::add_tooltips() {
    bool any = false;
    for (const Bound& b : bound_) any = any || !b.control->tooltip.empty();
    if (!any) return;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                               nullptr, ui_.instance(), nullptr);
    if (!tooltip_) return;
    tooltip_texts_.reserve(bound_.size());
    for (const Bound& b : bound_) {
        if (b.control->tooltip.empty()) continue;
        tooltip_texts_.push_back(widen(b.control->tooltip));
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = hwnd_;
        ti.uId = reinterpret_cast<UINT_PTR>(b.hwnd);
        ti.lpszText = tooltip_texts_.back().data();
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
}

View::Bound* View::bound(int id) {
    for (Bound& b : bound_)
        if (b.id == id) return &b;
    return nullptr;
}

// Renders only what differs from what is on screen, so the live motion's
// updates (every tick) touch just the labels that changed and nothing flickers.
void View::render() {
    if (!hwnd_ || !model_) return;
    rendering_ = true;
    for (Bound& b : bound_) {
        const Control& c = *b.control;
        bool first = !b.rendered;
        b.rendered = true;
        switch (c.kind) {
            case ControlKind::List:
                if (first || c.items != b.items) {
                    SendMessageW(b.hwnd, WM_SETREDRAW, FALSE, 0);
                    SendMessageW(b.hwnd, LB_RESETCONTENT, 0, 0);
                    for (const std::string& item : c.items)
                        SendMessageW(b.hwnd, LB_ADDSTRING, 0,
                                     reinterpret_cast<LPARAM>(widen(item).c_str()));
                    SendMessageW(b.hwnd, WM_SETREDRAW, TRUE, 0);
                    InvalidateRect(b.hwnd, nullptr, TRUE);
                    b.items = c.items;
                }
                break;
            case ControlKind::Image:
                break;
            default:
                if (first || c.text != b.text) {
                    std::wstring t = widen(c.text);
                    // Keep the template's access key while the caption is the design's.
                    if (strip_access_key(b.design_text) == t && !b.design_text.empty()) t = b.design_text;
                    if (c.kind == ControlKind::Text && is_multiline_edit(b.hwnd)) t = crlf(t);
                    if (window_text(b.hwnd) != t) SetWindowTextW(b.hwnd, t.c_str());
                    b.text = c.text;
                }
                break;
        }
        if (c.kind == ControlKind::Check || c.kind == ControlKind::Option) {
            if (first || c.checked != b.checked) {
                SendMessageW(b.hwnd, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
                b.checked = c.checked;
            }
        }
        if (first || c.enabled != b.enabled) {
            EnableWindow(b.hwnd, c.enabled);
            b.enabled = c.enabled;
        }
        if (first || c.visible != b.visible) {
            ShowWindow(b.hwnd, c.visible ? SW_SHOWNA : SW_HIDE);
            b.visible = c.visible;
        }
    }
    if (HMENU menu = GetMenu(hwnd_)) {
        for (MenuBound& m : menu_) {
            const Control& c = *m.control;
            if (!m.rendered || c.checked != m.checked)
                CheckMenuItem(menu, static_cast<UINT>(m.id),
                              MF_BYCOMMAND | (c.checked ? MF_CHECKED : MF_UNCHECKED));
            if (!m.rendered || c.enabled != m.enabled)
                EnableMenuItem(menu, static_cast<UINT>(m.id),
                               MF_BYCOMMAND | (c.enabled ? MF_ENABLED : MF_GRAYED));
            m.rendered = true;
            m.checked = c.checked;
            m.enabled = c.enabled;
        }
    }
    if (!model_->caption.empty() && model_->caption != shown_caption_) {
        SetWindowTextW(hwnd_, widen(model_->caption).c_str());
        shown_caption_ = model_->caption;
    }
    if (spec_.kind == ViewKind::EtaBox) {
        auto& box = static_cast<FrmCustomETABox&>(*model_);
        std::uint32_t now[4] = {box.text_colour, box.border_colour, box.tag_colour, box.back_colour};
        if (!colours_rendered_ || !std::equal(now, now + 4, shown_colours_)) {
            std::copy(now, now + 4, shown_colours_);
            colours_rendered_ = true;
            if (back_brush_) DeleteObject(back_brush_);
            back_brush_ = CreateSolidBrush(colour(box.back_colour));
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
    }
    if (model_->left_twips != placed_left_ || model_->top_twips != placed_top_) placed_ = false;
    rendering_ = false;
}

// Positions in twips are the design's, converted at the DPI of the monitor
// they land on. A window without a design position opens beside the main
// window, where the user looks.
void View::place() {
    if (placed_ || !model_) return;
    placed_ = true;
    placed_left_ = model_->left_twips;
    placed_top_ = model_->top_twips;
    if (model_->left_twips != 0 || model_->top_twips != 0) {
        POINT probe{0, 0};
        unsigned dpi = dpi_at(probe);
        probe = {twips_to_pixels(model_->left_twips, dpi), twips_to_pixels(model_->top_twips, dpi)};
        dpi = dpi_at(probe);
        SetWindowPos(hwnd_, nullptr, twips_to_pixels(model_->left_twips, dpi),
                     twips_to_pixels(model_->top_twips, dpi), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    HWND main = ui_.hwnd_of("frmMain");
    RECT m{}, r{};
    if (!main || main == hwnd_ || !GetWindowRect(main, &m) || !GetWindowRect(hwnd_, &r)) return;
    // To the right of the main window, clear of the editors that open below it.
    int gap = MulDiv(8, static_cast<int>(dpi_of(main)), 96);
    int x = m.right + gap, y = m.top;
    // The medium window goes beside the small one, so that the preview shows both.
    if (std::string(spec_.window) == "frmCustomETA1") {
        RECT s{};
        if (HWND small_box = ui_.hwnd_of("frmCustomETA"); small_box && GetWindowRect(small_box, &s))
            x = s.right + gap;
    }
    HMONITOR mon = MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (mon && GetMonitorInfoW(mon, &mi)) {
        // No room on the right: below the main window instead.
        if (x + (r.right - r.left) > mi.rcWork.right) {
            x = m.left;
            y = m.bottom + gap;
        }
        x = std::clamp(x, static_cast<int>(mi.rcWork.left),
                       static_cast<int>(std::max(mi.rcWork.left, mi.rcWork.right - (r.right - r.left))));
        y = std::clamp(y, static_cast<int>(mi.rcWork.top),
                       static_cast<int>(std::max(mi.rcWork.top, mi.rcWork.bottom - (r.bottom - r.top))));
    }
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void View::show(bool visible) {
    if (!hwnd_) return;
    if (!visible) {
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    render();
    place();
    // The ETA windows float over the viewer without taking its focus; the
    // others open as ordinary windows.
    bool floating = spec_.kind == ViewKind::EtaBox || spec_.kind == ViewKind::EtaList;
    ShowWindow(hwnd_, floating ? SW_SHOWNOACTIVATE : SW_SHOW);
    // The ETA windows stay on top of everything; a dialog opened over them
    // must come up above them, so it is topmost too.
    if (spec_.kind == ViewKind::Dialog)
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

namespace {

struct OwnedSearch {
    HWND owner;
    HWND lowest = nullptr;  // the last in z-order (top to bottom)
};

BOOL CALLBACK find_owned(HWND h, LPARAM param) {
    auto* s = reinterpret_cast<OwnedSearch*>(param);
    if (GetWindow(h, GW_OWNER) != s->owner || !IsWindowVisible(h)) return TRUE;
    if (!(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST))
        SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    s->lowest = h;
    return TRUE;
}

}  // namespace

void View::topmost() {
    if (!hwnd_ || !model_) return;
    // Show-window, no-activate, no-move, no-size (0x53). For a window the
    // model keeps hidden the show flag is left out: a hidden window that is
    // made topmost must not appear by it.
    UINT flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    if (model_->visible) flags |= SWP_SHOWWINDOW;
    HWND after = HWND_TOPMOST;
    if (spec_.kind == ViewKind::EtaBox || spec_.kind == ViewKind::EtaList) {
        // The ETA windows keep themselves on top, but below the program's
        // dialogs and message boxes (all owned by the main window), which
        // they would otherwise bury.
        OwnedSearch search{ui_.hwnd_of("frmMain")};
        if (search.owner) EnumWindows(find_owned, reinterpret_cast<LPARAM>(&search));
        if (search.lowest) after = search.lowest;
    }
    SetWindowPos(hwnd_, after, 0, 0, 0, 0, flags);
}

void View::drag() {
    if (!hwnd_) return;
    ReleaseCapture();
    SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void View::forward(const std::function<void()>& action) { forward(model_, action); }

void View::forward(const void* key, const std::function<void()>& action) {
    if (!model_) return;
    ui_.forward(key, action);
}

void View::on_command(int id, int code, HWND from) {
    if (!model_) return;
    if (id == IDCANCEL) {
        // Esc and the template's Close button close a window as its close box
        // does; the main window is closed only by its close box.
        if (spec_.kind != ViewKind::Main) forward([this] { model_->close_request(); });
        return;
    }
    if (!from && code == 0) {  // a menu item
        for (MenuBound& m : menu_)
            if (m.id == id) {
                Control* c = m.control;
                if (c->enabled) forward(c, [c] { c->click(); });
                return;
            }
        return;
    }
    Bound* b = bound(id);
    if (!b || rendering_) return;
    Control* c = b->control;
    switch (c->kind) {
        case ControlKind::Button:
        case ControlKind::Check:
        case ControlKind::Option:
            if (code == BN_CLICKED && c->enabled) forward(c, [c] { c->click(); });
            break;
        case ControlKind::Label:
            if (code == STN_CLICKED && c->enabled) forward(c, [c] { c->click(); });
            break;
        case ControlKind::Image:
            if (code == BN_CLICKED && c->enabled) {
                bool had_focus = GetFocus() == from;
                forward(c, [c] { c->click(); });
                // The pause toggle swaps its lamps: the focus goes with it.
                if (had_focus && !IsWindowVisible(from)) {
                    HWND other = GetDlgItem(hwnd_, id == IDC_STATUS_ON ? IDC_STATUS_OFF : IDC_STATUS_ON);
                    if (other && IsWindowVisible(other)) SetFocus(other);
                }
            }
            break;
        case ControlKind::Text:
            if (code == EN_CHANGE) {
                std::string t = narrow(window_text(b->hwnd));
                b->text = t;  // on screen already: no write-back that would move the caret
                forward(c, [c, t] { c->set_text(t); });
            }
            break;
        case ControlKind::List:
            if (code == LBN_SELCHANGE) forward(c, [c] {
                    if (c->on_click) c->on_click();
                });
            break;
        default:
            break;
    }
}

INT_PTR View::eta_colours(HDC dc, HWND control) {
    auto& box = static_cast<FrmCustomETABox&>(*model_);
    int id = GetDlgCtrlID(control);
    COLORREF text = colour(box.text_colour);
    if (id == IDC_LABELTITLE) text = colour(box.tag_colour);
    SetTextColor(dc, text);
    SetBkColor(dc, colour(box.back_colour));
    return reinterpret_cast<INT_PTR>(back_brush_);
}

void View::paint_frame() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (dc && model_) {
        auto& box = static_cast<FrmCustomETABox&>(*model_);
        if (box.Shape1.visible) {
            RECT r;
            GetClientRect(hwnd_, &r);
            int w = std::max(1, MulDiv(1, static_cast<int>(dpi_of(hwnd_)), 96));
            HBRUSH pen = CreateSolidBrush(colour(box.border_colour));
            for (int i = 0; i < w; ++i) {
                FrameRect(dc, &r, pen);
                InflateRect(&r, -1, -1);
            }
            DeleteObject(pen);
        }
    }
    EndPaint(hwnd_, &ps);
}

// The pause toggle's two images: a lit green lamp while the link runs, a
// dark red one while it is paused.
void View::draw_status_image(const DRAWITEMSTRUCT& di) {
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

INT_PTR CALLBACK View::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        auto* v = reinterpret_cast<View*>(lp);
        v->hwnd_ = hwnd;
        return FALSE;  // no focus moved: the window is created hidden
    }
    auto* v = reinterpret_cast<View*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!v || !v->model_) return FALSE;
    return v->handle(msg, wp, lp);
}

INT_PTR View::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            on_command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return TRUE;
        case WM_CLOSE:
            forward([this] { model_->close_request(); });
            return TRUE;
        case WM_QUERYENDSESSION:
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_ENDSESSION:
            // Windows is logging off: leave the placefile as closing would.
            if (wp && spec_.kind == ViewKind::Main) forward([this] { model_->close_request(); });
            return TRUE;
        case WM_ACTIVATE:
            if (spec_.kind == ViewKind::Main && LOWORD(wp) != WA_INACTIVE)
                forward([this] { static_cast<FrmMain&>(*model_).Form_Activate(); });
            return FALSE;
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (di && (di->CtlID == IDC_STATUS_ON || di->CtlID == IDC_STATUS_OFF)) {
                draw_status_image(*di);
                return TRUE;
            }
            return FALSE;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (spec_.kind == ViewKind::EtaBox) {
                int button = msg == WM_LBUTTONDOWN ? 1 : msg == WM_RBUTTONDOWN ? 2 : 4;
                // A press on the title label is a press on the title; on the
                // other labels (click-through statics) it is one on the body.
                POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                HWND child = ChildWindowFromPointEx(hwnd_, pt, CWP_SKIPINVISIBLE);
                auto& box = static_cast<FrmCustomETABox&>(*model_);
                if (child && GetDlgCtrlID(child) == IDC_LABELTITLE && button == 1) {
                    forward([&box] { box.Labeltitle.click(); });
                } else {
                    forward([&box, button] { box.mouse_down(button); });
                }
                return TRUE;
            }
            return FALSE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORDLG:
            if (spec_.kind == ViewKind::EtaBox && back_brush_) {
                HDC dc = reinterpret_cast<HDC>(wp);
                if (msg == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(back_brush_);
                return eta_colours(dc, reinterpret_cast<HWND>(lp));
            }
            return FALSE;
        case WM_PAINT:
            if (spec_.kind == ViewKind::EtaBox) {
                paint_frame();
                return TRUE;
            }
            return FALSE;
        case WM_SIZE:
            if (spec_.kind == ViewKind::EtaList) {
                if (HWND list = GetDlgItem(hwnd_, IDC_LIST1))
                    MoveWindow(list, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
            }
            if (spec_.kind == ViewKind::EtaBox) InvalidateRect(hwnd_, nullptr, TRUE);
            return FALSE;
        case WM_DPICHANGED: {
            // The dialog manager rescales the template; fonts of our own follow.
            auto* r = reinterpret_cast<const RECT*>(lp);
            if (r)
                SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
            make_fonts();
            return FALSE;
        }
        default:
            return FALSE;
    }
}

// --- the front end -----------------------------------------------------------------

namespace {
constexpr wchar_t kTimerClass[] = L"TessalyTimers";
}

Win32Ui::Win32Ui(HINSTANCE instance) : instance_(instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Win32Ui::timer_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kTimerClass;
    RegisterClassExW(&wc);  // fails harmlessly when a second front end registers it again
    timer_window_ = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, nullptr);
    SetWindowLongPtrW(timer_window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Ui::~Win32Ui() {
    for (auto& [id, r] : running_) KillTimer(timer_window_, id);
    running_.clear();
    views_.clear();
    graveyard_.clear();
    if (timer_window_) DestroyWindow(timer_window_);
}

HWND Win32Ui::hwnd_of(const std::string& window) const {
    View* v = view_of(window);
    return v ? v->hwnd() : nullptr;
}

View* Win32Ui::view_of(const std::string& window) const {
    for (auto& [model, view] : views_)
        if (model->name == window) return view.get();
    return nullptr;
}

void Win32Ui::window_loaded(Window& w) {
    const ViewSpec* spec = find_view_spec(w.name);
    if (!spec) return;  // a model that is never shown
    views_[&w] = std::make_unique<View>(*this, w, *spec);
}

void Win32Ui::window_unloaded(Window& w) {
    auto it = views_.find(&w);
    if (it == views_.end()) return;
    // The model goes now; its window may be running one of its own handlers
    // (the close box unloads the editor), so it is destroyed later.
    it->second->detach();
    ShowWindow(it->second->hwnd(), SW_HIDE);
    graveyard_.push_back(std::move(it->second));
    views_.erase(it);
    sync_timers();
}

void Win32Ui::visibility_changed(Window& w) {
    auto it = views_.find(&w);
    if (it != views_.end()) it->second->show(w.visible);
}

void Win32Ui::make_topmost(Window& w) {
    auto it = views_.find(&w);
    if (it != views_.end()) it->second->topmost();
}

void Win32Ui::start_drag(Window& w) {
    auto it = views_.find(&w);
    if (it != views_.end()) it->second->drag();
}

void Win32Ui::model_changed(Window& w) {
    auto it = views_.find(&w);
    if (it != views_.end()) it->second->render();
}

void Win32Ui::program_ended() {
    ended_ = true;
    for (auto& [id, r] : running_) KillTimer(timer_window_, id);
    running_.clear();
    for (auto& [model, view] : views_) ShowWindow(view->hwnd(), SW_HIDE);
    PostQuitMessage(0);
}

void Win32Ui::refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    sync_timers();
    for (auto& [model, view] : views_) view->render();
    refreshing_ = false;
}

// Windows raises the 5 ms and 1 ms intervals of the hotkey scan and the live
// motion to its minimum timer period (about 10 to 16 ms); nothing in the
// program depends on the exact rate. The live motion runs every 16 ms; the
// hotkey scan, while the keyboard hook posts the presses, runs on each press
// and on a slow safety net (mouse-button codes, a hook the system dropped),
// so that an idle program does not wake a hundred times a second.
UINT Win32Ui::period_of(const Timer& t) const {
    if (t.key_driven && key_presses_posted_) return kKeySafetyNetMs;
    return static_cast<UINT>(std::max({t.interval_ms, t.min_period_ms, int{USER_TIMER_MINIMUM}}));
}

void Win32Ui::set_key_presses_posted(bool posted) {
    key_presses_posted_ = posted;
    // Running timers take the new period.
    for (auto& [id, r] : running_) KillTimer(timer_window_, id);
    running_.clear();
    sync_timers();
}

void Win32Ui::sync_timers() {
    if (!app_ || ended_) return;
    std::vector<Timer*> all = app_->timers();
    for (auto it = running_.begin(); it != running_.end();) {
        Timer* t = it->second.timer;
        bool alive = std::find(all.begin(), all.end(), t) != all.end();
        if (!alive || !t->enabled || t->interval_ms != it->second.interval) {
            KillTimer(timer_window_, it->first);
            it = running_.erase(it);
        } else {
            ++it;
        }
    }
    for (Timer* t : all) {
        if (!t->enabled) continue;
        bool known = std::any_of(running_.begin(), running_.end(),
                                 [t](const auto& r) { return r.second.timer == t; });
        if (known) continue;
        UINT_PTR id = next_timer_id_++;
        if (SetTimer(timer_window_, id, period_of(*t), nullptr)) running_[id] = {t, t->interval_ms};
    }
}

void Win32Ui::forward(const void* key, const std::function<void()>& action) {
    auto running = handling_.find(key);
    if (running != handling_.end() && boxes_open_ > running->second) return;  // its box is open
    const int outer = running == handling_.end() ? -1 : running->second;
    handling_[key] = boxes_open_;
    try {
        action();
    } catch (const Failure&) {
        // The handlers report their own failures; nothing escapes an event.
    } catch (const std::exception&) {
    }
    // The handler may have unloaded its window: the entry goes by key alone.
    if (outer < 0) handling_.erase(key);
    else handling_[key] = outer;
    refresh();
}

void Win32Ui::fire(UINT_PTR id) {
    auto it = running_.find(id);
    if (it == running_.end()) {
        KillTimer(timer_window_, id);
        return;
    }
    Timer* t = it->second.timer;
    if (t->enabled && t->tick) {
        // A tick whose message box is open is not entered again.
        if (t->boxes_at_entry >= 0 && boxes_open_ > t->boxes_at_entry) return;
        const int outer = t->boxes_at_entry;
        t->boxes_at_entry = boxes_open_;
        try {
            t->tick();
        } catch (const Failure&) {
            // nothing escapes a timer procedure
        } catch (const std::exception&) {
        }
        // The tick may have unloaded its window and with it the timer.
        if (running_.count(id)) t->boxes_at_entry = outer;
    }
    refresh();
}

LRESULT CALLBACK Win32Ui::timer_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        auto* ui = reinterpret_cast<Win32Ui*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (ui) ui->fire(static_cast<UINT_PTR>(wp));
        return 0;
    }
    if (msg == kKeyPressMessage) {
        auto* ui = reinterpret_cast<Win32Ui*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!ui) return 0;
        std::vector<UINT_PTR> keyed;
        for (auto& [id, r] : ui->running_)
            if (r.timer->key_driven) keyed.push_back(id);
        for (UINT_PTR id : keyed) ui->fire(id);  // fire() skips one gone meanwhile
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool Win32Ui::dialog_message(MSG* msg) {
    if (!msg->hwnd) return false;
    HWND root = GetAncestor(msg->hwnd, GA_ROOT);
    for (auto& [model, view] : views_)
        if (view->hwnd() == root) return IsDialogMessageW(root, msg) != FALSE;
    return false;
}

int Win32Ui::run() {
    MSG msg;
    int code = 0;
    for (;;) {
        graveyard_.clear();
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            code = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) break;
        if (dialog_message(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    graveyard_.clear();
    return code;
}

}  // namespace tessaly::ui
