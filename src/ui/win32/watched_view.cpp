#include "ui/win32/watched_view.h"

#include "ui/win32/resource.h"

namespace tessaly::ui {

const char* WatchedView::button_for_key(unsigned virtual_key) {
    switch (virtual_key) {
        case VK_DELETE:
            return "remove_place";
        case VK_F2:
        case VK_RETURN:
            return "rename_place";
        default:
            return nullptr;
    }
}

void WatchedView::click(const char* name) {
    Control* c = model_ ? model_->control(name) : nullptr;
    if (c && c->enabled) forward(c, [c] { c->click(); });
}

// Enter in the list opens the row as a double-click does; without this the
// dialog manager would press the default Add with the fields empty.
bool WatchedView::key_message(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN || !hwnd_) return false;
    if (msg.hwnd != GetDlgItem(hwnd_, IDC_WATCHED_PLACES)) return false;
    click("rename_place");
    return true;
}

INT_PTR WatchedView::handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && lp) {
        const auto& nm = *reinterpret_cast<const NMHDR*>(lp);
        if (nm.idFrom == IDC_WATCHED_PLACES && nm.code == LVN_KEYDOWN) {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(nm);
            if (const char* name = button_for_key(key.wVKey)) {
                click(name);
                return TRUE;
            }
        }
    }
    return DialogView::handle(msg, wp, lp);
}

}  // namespace tessaly::ui
