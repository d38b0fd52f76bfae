#include "ui/win32/storms_view.h"

#include "ui/win32/resource.h"

namespace tessaly::ui {

const char* StormsView::button_for_key(unsigned virtual_key) {
    switch (virtual_key) {
        case VK_DELETE:
            return "erase_storm";
        case VK_F2:
            return "rename_storm";
        default:
            return nullptr;
    }
}

INT_PTR StormsView::handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && lp) {
        const auto& nm = *reinterpret_cast<const NMHDR*>(lp);
        if (nm.idFrom == IDC_STORM_LIST && nm.code == LVN_KEYDOWN) {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(nm);
            if (const char* name = button_for_key(key.wVKey)) {
                Control* c = model_->control(name);
                if (c && c->enabled) forward(c, [c] { c->click(); });
                return TRUE;
            }
        }
    }
    return DialogView::handle(msg, wp, lp);
}

}  // namespace tessaly::ui
