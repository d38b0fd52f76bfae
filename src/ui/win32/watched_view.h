#pragma once
// The watched places window: a tool window whose list takes Delete, F2 and
// Enter as the Remove and Rename buttons (Enter in the name and position
// fields is the default Add), and that remembers where the user leaves it.
#include "ui/win32/dialog_view.h"

namespace tessaly::ui {

class WatchedView : public DialogView {
public:
    WatchedView(Win32Ui& ui, Window& model, const ViewDef& def) : DialogView(ui, model, def) {}

    // The model's button that a key pressed in the list clicks; nullptr for
    // other keys.
    static const char* button_for_key(unsigned virtual_key);

    bool key_message(const MSG& msg) override;

protected:
    bool remembers_place() const override { return true; }
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void click(const char* name);
};

}  // namespace tessaly::ui
