#include "ui/win32/eta_list_view.h"

#include "ui/win32/dpi.h"
#include "ui/win32/resource.h"

namespace tessaly::ui {

EtaListView::~EtaListView() {
    destroy();
    if (list_font_) DeleteObject(list_font_);
}

void EtaListView::make_fonts() {
    HWND list = GetDlgItem(hwnd_, IDC_LIST1);
    if (!list) return;
    HFONT old = list_font_;
    list_font_ =
        CreateFontW(-MulDiv(10, static_cast<int>(dpi_of(hwnd_)), 72), 0, 0, 0, FW_SEMIBOLD, FALSE,
                    FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI Semibold");
    if (list_font_) SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(list_font_), TRUE);
    if (old) DeleteObject(old);
}

INT_PTR EtaListView::handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE) {
        if (HWND list = GetDlgItem(hwnd_, IDC_LIST1))
            MoveWindow(list, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return FALSE;
    }
    return DialogView::handle(msg, wp, lp);
}

}  // namespace tessaly::ui
