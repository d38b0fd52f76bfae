#pragma once
// The classic ETA list: a resizable tool window whose list fills it, in a
// font of its own that follows the DPI.
#include "ui/win32/dialog_view.h"

namespace tessaly::ui {

class EtaListView : public DialogView {
public:
    EtaListView(Win32Ui& ui, Window& model, const ViewDef& def) : DialogView(ui, model, def) {}
    ~EtaListView() override;

protected:
    bool floating() const override { return true; }
    void make_fonts() override;
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HFONT list_font_ = nullptr;
};

}  // namespace tessaly::ui
