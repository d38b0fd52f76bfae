#pragma once
// The pathcast: a resizable tool window that floats over the viewer like the
// ETA windows. Its list fills it, with columns of set widths; it remembers
// where the user leaves it and how large; Ctrl+C copies, Esc closes.
#include "ui/win32/dialog_view.h"

namespace tessaly::ui {

class PathcastView : public DialogView {
public:
    PathcastView(Win32Ui& ui, Window& model, const ViewDef& def) : DialogView(ui, model, def) {}

    bool key_message(const MSG& msg) override;

protected:
    bool floating() const override { return true; }
    bool remembers_place() const override { return true; }
    bool remembers_size() const override { return true; }
    bool fits_columns() const override { return false; }
    void created() override;
    void render_more() override;
    INT_PTR handle(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Places the note, the list and the buttons in the client area.
    void layout();
    // The columns' widths in dialog units, at the window's present DPI.
    void size_columns();
    int dlu_x(int units) const;
    int dlu_y(int units) const;

    bool note_strip_ = false;  // the note takes its strip above the list
};

}  // namespace tessaly::ui
