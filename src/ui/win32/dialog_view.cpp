#include "ui/win32/dialog_view.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/win32_text.h"
#include "ui/win32/dpi.h"
#include "ui/win32/resource.h"
#include "ui/win32/win32_ui.h"

namespace tessaly::ui {

using win32::narrow;
using win32::widen;

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

// Multi-line edit controls break lines only at CR LF; labels get the same,
// so that their text reads back as it is drawn.
std::wstring crlf(const std::wstring& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\n' && (i == 0 || s[i - 1] != L'\r')) out += L'\r';
        out += s[i];
    }
    return out;
}

// A list view row's cells: its item split at tabs.
std::vector<std::wstring> cells_of(const std::string& item) {
    std::vector<std::wstring> out;
    size_t start = 0;
    for (;;) {
        size_t tab = item.find('\t', start);
        out.push_back(
            widen(item.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return out;
}

bool is_list_view(HWND h) {
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    return lstrcmpiW(cls, WC_LISTVIEWW) == 0;
}

// Posted to the dialog once a list view's selection changed: a click on
// another row first clears the old one, and only the settled state counts.
constexpr UINT kSelectionSettled = WM_APP + 2;

}  // namespace

DialogView::DialogView(Win32Ui& ui, Window& model, const ViewDef& def)
    : ui_(ui), model_(&model), def_(def) {}

void DialogView::create() {
    // Editors and dialogs stay independent windows (with their own taskbar
    // buttons); the ETA windows float over the viewer and need no owner.
    HWND owner = owned() ? ui_.hwnd_of("frmMain") : nullptr;
    hwnd_ = CreateDialogParamW(ui_.instance(), MAKEINTRESOURCEW(def_.dialog), owner,
                               &DialogView::proc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return;
    for (const Binding& b : def_.bindings) {
        Control* c = model_->control(b.control);
        HWND h = GetDlgItem(hwnd_, b.id);
        if (!c || !h) continue;
        Bound bd;
        bd.control = c;
        bd.id = b.id;
        bd.hwnd = h;
        bd.template_text = window_text(h);
        if (c->kind == ControlKind::List && is_list_view(h)) {
            bd.list_view = true;
            SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                         LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
            for (size_t i = 0; i < c->columns.size(); ++i) {
                std::wstring header = widen(c->columns[i]);
                LVCOLUMNW col{};
                col.mask = LVCF_TEXT | LVCF_SUBITEM;
                col.pszText = header.data();
                col.iSubItem = static_cast<int>(i);
                SendMessageW(h, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
            }
        }
        bound_.push_back(std::move(bd));
    }
    if (const std::vector<Binding>* items = menu_bindings()) {
        for (const Binding& b : *items)
            if (Control* c = model_->control(b.control)) {
                MenuBound m;
                m.control = c;
                m.id = b.id;
                menu_.push_back(m);
            }
    }
    HINSTANCE instance = ui_.instance();
    HICON big =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TESSALY), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    HICON little = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TESSALY),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
    if (big) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (little) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
    // One character per hotkey field.
    for (int id : {IDC_HKSELECT, IDC_HKERASE, IDC_HKETA, IDC_HKUNDO, IDC_HKERASE_STORM,
                   IDC_HKNEXT_STORM, IDC_HKWATCH})
        if (HWND h = GetDlgItem(hwnd_, id)) SendMessageW(h, EM_LIMITTEXT, 1, 0);
    make_fonts();
    add_tooltips();
    render();
    created();
}

DialogView::~DialogView() { destroy(); }

void DialogView::destroy() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    if (tooltip_) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
}

void DialogView::add_tooltips() {
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

DialogView::Bound* DialogView::bound(int id) {
    for (Bound& b : bound_)
        if (b.id == id) return &b;
    return nullptr;
}

// Renders only what differs from what is on screen, so the live motion's
// updates (every tick) touch just the labels that changed and nothing flickers.
void DialogView::render() {
    if (!hwnd_ || !model_) return;
    rendering_ = true;
    for (Bound& b : bound_) {
        const Control& c = *b.control;
        bool first = !b.rendered;
        b.rendered = true;
        switch (c.kind) {
            case ControlKind::List:
                if (b.list_view) {
                    render_list_view(b, first);
                } else if (first || c.items != b.items) {
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
            case ControlKind::Image: break;
            default:
                if (first || c.text != b.text) {
                    std::wstring t = widen(c.text);
                    // Keep the template's access key while the caption is the template's.
                    if (strip_access_key(b.template_text) == t && !b.template_text.empty())
                        t = b.template_text;
                    if ((c.kind == ControlKind::Text && is_multiline_edit(b.hwnd)) ||
                        c.kind == ControlKind::Label)
                        t = crlf(t);
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
    render_more();
    if (model_->left_twips != placed_left_ || model_->top_twips != placed_top_) placed_ = false;
    if (remembers_size() &&
        (model_->width_twips != placed_width_ || model_->height_twips != placed_height_))
        placed_ = false;
    rendering_ = false;
}

// Only the cells that differ are written, so the ages that change every
// minute repaint their own cells; the list is drawn anew only when rows come
// or go. The columns fit their widest cell or header when a cell's length
// changed.
void DialogView::render_list_view(Bound& b, bool first) {
    const Control& c = *b.control;
    HWND h = b.hwnd;
    bool resize = first;
    if (first || c.items != b.items) {
        const size_t old_n = b.items.size(), new_n = c.items.size();
        const bool rows_change = old_n != new_n;
        if (rows_change) SendMessageW(h, WM_SETREDRAW, FALSE, 0);
        for (size_t i = old_n; i > new_n; --i) SendMessageW(h, LVM_DELETEITEM, i - 1, 0);
        for (size_t i = 0; i < new_n; ++i) {
            std::vector<std::wstring> now = cells_of(c.items[i]);
            std::vector<std::wstring> was;
            if (i < old_n) {
                if (c.items[i] == b.items[i]) continue;
                was = cells_of(b.items[i]);
            } else {
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = static_cast<int>(i);
                item.pszText = now[0].data();
                SendMessageW(h, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
                was.push_back(now[0]);
            }
            for (size_t k = 0; k < now.size(); ++k) {
                if (k < was.size() && now[k] == was[k]) continue;
                resize = resize || k >= was.size() || now[k].size() != was[k].size();
                LVITEMW cell{};
                cell.iSubItem = static_cast<int>(k);
                cell.pszText = now[k].data();
                SendMessageW(h, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&cell));
            }
        }
        if (rows_change) {
            resize = true;
            SendMessageW(h, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(h, nullptr, TRUE);
        }
        b.items = c.items;
        b.selected_row = -2;  // rows moved under the highlight: set it again
    }
    if (resize && fits_columns())
        for (size_t k = 0; k < c.columns.size(); ++k) {
            SendMessageW(h, LVM_SETCOLUMNWIDTH, k, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
            // Wine sizes a column to its cells alone, cutting a longer
            // header ("Lab..."): at least the header and two letters' margin.
            std::wstring header = widen(c.columns[k]) + L"MM";
            const LRESULT need =
                SendMessageW(h, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(header.c_str()));
            if (SendMessageW(h, LVM_GETCOLUMNWIDTH, k, 0) < need)
                SendMessageW(h, LVM_SETCOLUMNWIDTH, k, MAKELPARAM(static_cast<int>(need), 0));
        }
    if (c.selected_row != b.selected_row) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = 0;
        SendMessageW(h, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
        if (c.selected_row >= 0 && static_cast<size_t>(c.selected_row) < c.items.size()) {
            state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(h, LVM_SETITEMSTATE, static_cast<WPARAM>(c.selected_row),
                         reinterpret_cast<LPARAM>(&state));
            SendMessageW(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(c.selected_row), FALSE);
        }
        b.selected_row = c.selected_row;
    }
}

void DialogView::on_notify(const NMHDR& nm) {
    Bound* b = bound(static_cast<int>(nm.idFrom));
    if (!b || !b->list_view || rendering_) return;
    Control* c = b->control;
    if (nm.code == LVN_ITEMCHANGED) {
        const auto& lv = reinterpret_cast<const NMLISTVIEW&>(nm);
        if (!(lv.uChanged & LVIF_STATE) || !((lv.uNewState ^ lv.uOldState) & LVIS_SELECTED)) return;
        if (!b->selection_check_posted &&
            PostMessageW(hwnd_, kSelectionSettled, static_cast<WPARAM>(b->id), 0))
            b->selection_check_posted = true;
    } else if (nm.code == NM_DBLCLK) {
        const auto& ia = reinterpret_cast<const NMITEMACTIVATE&>(nm);
        if (ia.iItem < 0 || !c->enabled) return;
        check_selection(b->id);
        forward(c, [c] {
            if (c->on_dblclick) c->on_dblclick();
        });
    }
}

void DialogView::check_selection(int id) {
    Bound* b = bound(id);
    if (!b || !b->list_view) return;
    b->selection_check_posted = false;
    int row = static_cast<int>(
        SendMessageW(b->hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row == b->selected_row) return;
    b->selected_row = row;  // on screen already
    Control* c = b->control;
    forward(c, [c, row] { c->select(row); });
}

// Positions in twips (the models' own) are converted at the DPI of the
// monitor they land on. A window without a position of its own opens beside
// the main window, where the user looks.
void DialogView::place() {
    if (placed_ || !model_) return;
    placed_ = true;
    placed_left_ = model_->left_twips;
    placed_top_ = model_->top_twips;
    placed_width_ = model_->width_twips;
    placed_height_ = model_->height_twips;
    if (remembers_size() && model_->width_twips > 0 && model_->height_twips > 0) {
        // At the DPI the window stands at now; it is placed next.
        const unsigned dpi = dpi_of(hwnd_);
        SetWindowPos(hwnd_, nullptr, 0, 0, twips_to_pixels(model_->width_twips, dpi),
                     twips_to_pixels(model_->height_twips, dpi),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
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
    if (std::string(def_.window) == "frmCustomETA1") {
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
        x = std::clamp(
            x, static_cast<int>(mi.rcWork.left),
            static_cast<int>(std::max(mi.rcWork.left, mi.rcWork.right - (r.right - r.left))));
        y = std::clamp(
            y, static_cast<int>(mi.rcWork.top),
            static_cast<int>(std::max(mi.rcWork.top, mi.rcWork.bottom - (r.bottom - r.top))));
    }
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogView::show(bool visible) {
    if (!hwnd_) return;
    if (!visible) {
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    render();
    place();
    // The ETA windows float over the viewer without taking its focus; the
    // others open as ordinary windows.
    ShowWindow(hwnd_, floating() ? SW_SHOWNOACTIVATE : SW_SHOW);
    // The ETA windows stay on top of everything; a dialog opened over them
    // must come up above them, so it is topmost too.
    if (topmost_when_shown())
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

void DialogView::topmost() {
    if (!hwnd_ || !model_) return;
    // Show-window, no-activate, no-move, no-size (0x53). For a window the
    // model keeps hidden the show flag is left out: a hidden window that is
    // made topmost must not appear by it.
    UINT flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE;
    if (model_->visible) flags |= SWP_SHOWWINDOW;
    HWND after = HWND_TOPMOST;
    if (floating()) {
        // The ETA windows keep themselves on top, but below the program's
        // dialogs and message boxes (all owned by the main window), which
        // they would otherwise bury.
        OwnedSearch search{ui_.hwnd_of("frmMain")};
        if (search.owner) EnumWindows(find_owned, reinterpret_cast<LPARAM>(&search));
        if (search.lowest) after = search.lowest;
    }
    SetWindowPos(hwnd_, after, 0, 0, 0, 0, flags);
}

void DialogView::drag() {
    if (!hwnd_) return;
    ReleaseCapture();
    SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void DialogView::forward(const std::function<void()>& action) { forward(model_, action); }

void DialogView::forward(const void* key, const std::function<void()>& action) {
    if (!model_) return;
    ui_.forward(key, action);
}

// Esc and the template's Close button close a window as its close box does.
void DialogView::on_cancel() {
    forward([this] { model_->close_request(); });
}

void DialogView::on_command(int id, int code, HWND from) {
    if (!model_) return;
    if (id == IDCANCEL) {
        on_cancel();
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
                    HWND other =
                        GetDlgItem(hwnd_, id == IDC_STATUS_ON ? IDC_STATUS_OFF : IDC_STATUS_ON);
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
            if (code == LBN_SELCHANGE) {
                int row = static_cast<int>(SendMessageW(b->hwnd, LB_GETCURSEL, 0, 0));
                forward(c, [c, row] {
                    c->select(row < 0 ? -1 : row);
                    if (c->on_click) c->on_click();
                });
            } else if (code == LBN_DBLCLK) {
                forward(c, [c] {
                    if (c->on_dblclick) c->on_dblclick();
                });
            }
            break;
        default: break;
    }
}

INT_PTR CALLBACK DialogView::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        auto* v = reinterpret_cast<DialogView*>(lp);
        v->hwnd_ = hwnd;
        return FALSE;  // no focus moved: the window is created hidden
    }
    auto* v = reinterpret_cast<DialogView*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!v || !v->model_) return FALSE;
    // Nothing may unwind through the system's frames: a fault is reported
    // once and the window goes on.
    try {
        return v->handle(msg, wp, lp);
    } catch (...) {
        v->ui_.unexpected_failure();
        return FALSE;
    }
}

INT_PTR DialogView::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            on_command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return TRUE;
        case WM_CLOSE: forward([this] { model_->close_request(); }); return TRUE;
        case WM_NOTIFY:
            if (lp) on_notify(*reinterpret_cast<const NMHDR*>(lp));
            return FALSE;
        case kSelectionSettled: check_selection(static_cast<int>(wp)); return TRUE;
        case WM_EXITSIZEMOVE:
            if (remembers_place()) {
                RECT r{};
                if (GetWindowRect(hwnd_, &r)) {
                    unsigned dpi = dpi_of(hwnd_);
                    model_->left_twips = pixels_to_twips(r.left, dpi);
                    model_->top_twips = pixels_to_twips(r.top, dpi);
                    // Where it stands already: not placed again.
                    placed_left_ = model_->left_twips;
                    placed_top_ = model_->top_twips;
                    bool resized = false;
                    if (remembers_size()) {
                        const int w = pixels_to_twips(r.right - r.left, dpi);
                        const int h = pixels_to_twips(r.bottom - r.top, dpi);
                        resized = w != model_->width_twips || h != model_->height_twips;
                        model_->width_twips = placed_width_ = w;
                        model_->height_twips = placed_height_ = h;
                    }
                    forward([this] { model_->moved(); });
                    if (resized) forward([this] { model_->resized(); });
                }
            }
            return FALSE;
        case WM_QUERYENDSESSION: SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE); return TRUE;
        case WM_ENDSESSION: return TRUE;
        case WM_DPICHANGED: {
            // The dialog manager rescales the template; fonts of our own follow.
            auto* r = reinterpret_cast<const RECT*>(lp);
            if (r)
                SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left,
                             r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
            make_fonts();
            return FALSE;
        }
        default: return FALSE;
    }
}

}  // namespace tessaly::ui
