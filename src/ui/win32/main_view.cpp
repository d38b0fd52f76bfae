#include "ui/win32/main_view.h"

#include <algorithm>

#include "app/frm_main.h"
#include "ui/win32/resource.h"

namespace tessaly::ui {

MainView::MainView(Win32Ui& ui, FrmMain& model, const ViewDef& def)
    : DialogView(ui, model, def), main_(model) {}

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
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (di && (di->CtlID == IDC_STATUS_ON || di->CtlID == IDC_STATUS_OFF)) {
                draw_status_image(*di);
                return TRUE;
            }
            return FALSE;
        }
        default:
            return DialogView::handle(msg, wp, lp);
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
