#include "ui/win32/pathcast_view.h"

#include <algorithm>
#include <iterator>

#include "ui/win32/resource.h"

namespace tessaly::ui {

namespace {

// Dialog units: the template's margins and button size, the note's strip,
// the smallest client area that still shows a few rows and both buttons.
constexpr int kMargin = 7, kGap = 6, kButtonGap = 3;
constexpr int kButtonWidth = 52, kButtonHeight = 14;
constexpr int kNoteHeight = 20;
constexpr int kMinClientWidth = 180, kMinClientHeight = 80;
// Arrives–leaves ("10:05–10:21 PM CDT"), in ("in 12 min"), town ("Nicoma
// Park, OK"), passes ("3 mi NW"), population; further columns get the last.
constexpr int kColumnWidths[] = {80, 40, 104, 54, 46};

}  // namespace

int PathcastView::dlu_x(int units) const {
    RECT r{0, 0, units, 0};
    MapDialogRect(hwnd_, &r);
    return r.right;
}

int PathcastView::dlu_y(int units) const {
    RECT r{0, 0, 0, units};
    MapDialogRect(hwnd_, &r);
    return r.bottom;
}

void PathcastView::created() {
    size_columns();
    layout();
}

void PathcastView::size_columns() {
    HWND list = GetDlgItem(hwnd_, IDC_PATHCAST_ROWS);
    HWND header = list ? reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)) : nullptr;
    const int n = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int k = 0; k < n; ++k) {
        LVCOLUMNW col{};
        col.mask = LVCF_WIDTH | LVCF_FMT;
        col.cx = dlu_x(
            kColumnWidths[std::min<size_t>(static_cast<size_t>(k), std::size(kColumnWidths) - 1)]);
        // Numbers line up at their right; the population is the last column.
        col.fmt = k == n - 1 && k > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(&col));
    }
}

void PathcastView::layout() {
    RECT c{};
    if (!hwnd_ || !GetClientRect(hwnd_, &c)) return;
    const int margin_x = dlu_x(kMargin), margin_y = dlu_y(kMargin);
    const int bw = dlu_x(kButtonWidth), bh = dlu_y(kButtonHeight);
    const int button_top = c.bottom - margin_y - bh;
    int top = margin_y;
    if (HWND note = GetDlgItem(hwnd_, IDC_PATHCAST_NOTE)) {
        // Without a strip it has no height: an empty label would paint over the list.
        MoveWindow(note, margin_x, top, std::max(0, static_cast<int>(c.right) - 2 * margin_x),
                   note_strip_ ? dlu_y(kNoteHeight) : 0, TRUE);
        if (note_strip_) top += dlu_y(kNoteHeight) + dlu_y(kButtonGap);
    }
    if (HWND list = GetDlgItem(hwnd_, IDC_PATHCAST_ROWS))
        MoveWindow(list, margin_x, top, std::max(0, static_cast<int>(c.right) - 2 * margin_x),
                   std::max(0, button_top - dlu_y(kGap) - top), TRUE);
    int x = c.right - margin_x - bw;
    for (int id : {IDC_PATHCAST_CLOSE, IDC_PATHCAST_COPY}) {
        if (HWND b = GetDlgItem(hwnd_, id)) MoveWindow(b, x, button_top, bw, bh, TRUE);
        x -= bw + dlu_x(kButtonGap);
    }
}

// The note's strip comes and goes with its text: the list moves up into it.
void PathcastView::render_more() {
    const Control* note = model_->control("note");
    const bool strip = note && note->visible && !note->text.empty();
    if (strip == note_strip_) return;
    note_strip_ = strip;
    layout();
}

bool PathcastView::key_message(const MSG& msg) {
    // Ctrl+C wherever the focus is in the window (the list, a button).
    if (msg.message != WM_KEYDOWN || msg.wParam != 'C' || !model_) return false;
    if (!(GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000)) return false;
    Control* copy = model_->control("copy");
    if (copy && copy->enabled) forward(copy, [copy] { copy->click(); });
    return true;
}

INT_PTR PathcastView::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE: layout(); return FALSE;
        case WM_GETMINMAXINFO: {
            RECT r{0, 0, dlu_x(kMinClientWidth), dlu_y(kMinClientHeight)};
            AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                               static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
            auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
            mm->ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
            return FALSE;
        }
        case WM_DPICHANGED: {
            INT_PTR used = DialogView::handle(msg, wp, lp);
            size_columns();
            layout();
            return used;
        }
        default: return DialogView::handle(msg, wp, lp);
    }
}

}  // namespace tessaly::ui
