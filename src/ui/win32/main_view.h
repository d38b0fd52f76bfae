#pragma once
// The main window: its menu bar, the pause toggle's lamps, activation, and
// closing only by its close box or the end of the session.
#include "ui/win32/dialog_view.h"

namespace tessaly {
class FrmMain;
}

namespace tessaly::ui {

class MainView : public DialogView {
public:
    MainView(Win32Ui& ui, FrmMain& model, const ViewDef& def);

protected:
    bool owned() const override { return false; }
    bool topmost_when_shown() const override { return false; }
    const std::vector<Binding>* menu_bindings() const override { return &main_menu_bindings(); }
    void on_cancel() override {}
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void draw_status_image(const DRAWITEMSTRUCT& di);

    FrmMain& main_;
};

}  // namespace tessaly::ui
