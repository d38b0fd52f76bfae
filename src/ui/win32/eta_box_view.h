#pragma once
// The small and medium ETA windows: no caption, colours and a frame drawn
// from the model, presses on the body and the title passed to the model.
#include <cstdint>

#include "ui/win32/dialog_view.h"

namespace tessaly {
class FrmCustomETABox;
}

namespace tessaly::ui {

class EtaBoxView : public DialogView {
public:
    EtaBoxView(Win32Ui& ui, FrmCustomETABox& model, const ViewDef& def);
    ~EtaBoxView() override;

protected:
    bool floating() const override { return true; }
    void render_more() override;
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    INT_PTR eta_colours(HDC dc, HWND control);
    void paint_frame();

    FrmCustomETABox& box_;
    std::uint32_t shown_colours_[4] = {};
    bool colours_rendered_ = false;
    HBRUSH back_brush_ = nullptr;
};

}  // namespace tessaly::ui
