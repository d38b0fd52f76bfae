#pragma once
// The main window: its menu bar, the pause toggle's lamps, the alert banner
// (the window grows to show it), activation, and closing only by its close
// box or the end of the session.
#include <string>

#include "ui/win32/dialog_view.h"

namespace tessaly {
class FrmMain;
}

namespace tessaly::ui {

class MainView : public DialogView {
public:
    MainView(Win32Ui& ui, FrmMain& model, const ViewDef& def);
    ~MainView() override;

    // The banner shows at most this many lines of text; more are cut.
    static constexpr int kBannerMaxLines = 4;
    // Its colours: white on red.
    static constexpr COLORREF kBannerBack = RGB(200, 0, 0);
    static constexpr COLORREF kBannerText = RGB(255, 255, 255);

protected:
    bool owned() const override { return false; }
    bool topmost_when_shown() const override { return false; }
    const std::vector<Binding>* menu_bindings() const override { return &main_menu_bindings(); }
    void on_cancel() override {}
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp) override;
    void make_fonts() override;
    void render_more() override;

private:
    void draw_status_image(const DRAWITEMSTRUCT& di);
    // Sizes the banner to its text and the window to the banner (back to
    // the template's height while it is hidden).
    void layout_banner();

    FrmMain& main_;
    HBRUSH banner_brush_ = nullptr;
    HFONT banner_font_ = nullptr;  // the dialog's font, bold
    bool banner_laid_out_ = false;
    bool banner_shown_ = false;
    std::string banner_text_;
};

}  // namespace tessaly::ui
