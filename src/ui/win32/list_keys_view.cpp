#include "ui/win32/list_keys_view.h"

namespace tessaly::ui {

const char* ListKeysView::button_for_key(unsigned virtual_key) const {
    for (const KeyButton& k : keys_)
        if (k.virtual_key == virtual_key) return k.button;
    return nullptr;
}

void ListKeysView::click(const char* name) {
    Control* c = model_ ? model_->control(name) : nullptr;
    if (c && c->enabled) forward(c, [c] { c->click(); });
}

INT_PTR ListKeysView::handle(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && lp) {
        const auto& nm = *reinterpret_cast<const NMHDR*>(lp);
        if (static_cast<int>(nm.idFrom) == list_id_ && nm.code == LVN_KEYDOWN) {
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
