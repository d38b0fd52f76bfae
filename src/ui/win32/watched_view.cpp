#include "ui/win32/watched_view.h"

namespace tessaly::ui {

// Enter in the list opens the row as a double-click does; without this the
// dialog manager would press the default Add with the fields empty.
bool WatchedView::key_message(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN || !hwnd_) return false;
    if (msg.hwnd != GetDlgItem(hwnd_, list_id_)) return false;
    click("rename_place");
    return true;
}

}  // namespace tessaly::ui
