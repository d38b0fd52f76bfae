#pragma once
// A tool window whose list takes keys as the model's buttons (Delete for
// erase or remove, F2 for rename, ...), and that remembers where the user
// leaves it: the storm list and the watched places.
#include <vector>

#include "ui/win32/dialog_view.h"

namespace tessaly::ui {

class ListKeysView : public DialogView {
public:
    struct KeyButton {
        unsigned virtual_key;
        const char* button;  // the model's control the key clicks
    };
    ListKeysView(Win32Ui& ui, Window& model, const ViewDef& def, int list_id,
                 std::vector<KeyButton> keys)
        : DialogView(ui, model, def), list_id_(list_id), keys_(std::move(keys)) {}

    // The model's button that a key pressed in the list clicks; nullptr for
    // other keys.
    const char* button_for_key(unsigned virtual_key) const;

protected:
    bool remembers_place() const override { return true; }
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp) override;
    // Clicks the model's button `name` when it is enabled.
    void click(const char* name);
    const int list_id_;

private:
    const std::vector<KeyButton> keys_;
};

}  // namespace tessaly::ui
