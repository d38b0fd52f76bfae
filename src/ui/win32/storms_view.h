#pragma once
// The storm list: a tool window whose list takes Delete and F2 as the
// Erase and Rename buttons (Enter is the default Select already), and that
// remembers where the user leaves it.
#include "ui/win32/dialog_view.h"

namespace tessaly::ui {

class StormsView : public DialogView {
public:
    StormsView(Win32Ui& ui, Window& model, const ViewDef& def) : DialogView(ui, model, def) {}

    // The model's button that a key pressed in the list clicks; nullptr for
    // other keys.
    static const char* button_for_key(unsigned virtual_key);

protected:
    bool remembers_place() const override { return true; }
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace tessaly::ui
