#include "ui/win32/eta_box_view.h"

#include <algorithm>

#include "eta/frm_custom_eta.h"
#include "ui/win32/dpi.h"
#include "ui/win32/resource.h"

namespace tessaly::ui {

namespace {

COLORREF colour(std::uint32_t bgr) { return static_cast<COLORREF>(bgr & 0xFFFFFF); }

}  // namespace

EtaBoxView::EtaBoxView(Win32Ui& ui, FrmCustomETABox& model, const ViewDef& def)
    : DialogView(ui, model, def), box_(model) {}

EtaBoxView::~EtaBoxView() {
    destroy();
    if (back_brush_) DeleteObject(back_brush_);
}

void EtaBoxView::render_more() {
    const FrmCustomETABox& box = box_;
    std::uint32_t now[4] = {box.text_colour, box.border_colour, box.tag_colour, box.back_colour};
    if (!colours_rendered_ || !std::equal(now, now + 4, shown_colours_)) {
        std::copy(now, now + 4, shown_colours_);
        colours_rendered_ = true;
        if (back_brush_) DeleteObject(back_brush_);
        back_brush_ = CreateSolidBrush(colour(box.back_colour));
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

INT_PTR EtaBoxView::handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            int button = msg == WM_LBUTTONDOWN ? 1 : msg == WM_RBUTTONDOWN ? 2 : 4;
            // A press on the title label is a press on the title; on the
            // other labels (click-through statics) it is one on the body.
            POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            HWND child = ChildWindowFromPointEx(hwnd_, pt, CWP_SKIPINVISIBLE);
            FrmCustomETABox& box = box_;
            if (child && GetDlgCtrlID(child) == IDC_LABELTITLE && button == 1) {
                forward([&box] { box.Labeltitle.click(); });
            } else {
                forward([&box, button] { box.mouse_down(button); });
            }
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORDLG:
            if (back_brush_) {
                HDC dc = reinterpret_cast<HDC>(wp);
                if (msg == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(back_brush_);
                return eta_colours(dc, reinterpret_cast<HWND>(lp));
            }
            return FALSE;
        case WM_PAINT: paint_frame(); return TRUE;
        case WM_SIZE: InvalidateRect(hwnd_, nullptr, TRUE); return FALSE;
        default: return DialogView::handle(msg, wp, lp);
    }
}

INT_PTR EtaBoxView::eta_colours(HDC dc, HWND control) {
    const FrmCustomETABox& box = box_;
    int id = GetDlgCtrlID(control);
    COLORREF text = colour(box.text_colour);
    if (id == IDC_LABELTITLE) text = colour(box.tag_colour);
    SetTextColor(dc, text);
    SetBkColor(dc, colour(box.back_colour));
    return reinterpret_cast<INT_PTR>(back_brush_);
}

void EtaBoxView::paint_frame() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (dc && model_) {
        const FrmCustomETABox& box = box_;
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

}  // namespace tessaly::ui
