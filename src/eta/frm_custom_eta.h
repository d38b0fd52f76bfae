#pragma once
// The three ETA windows: small (eight labels), medium (thirteen labels) and
// the classic list.
#include <cstdint>
#include <string>
#include <vector>

#include "app/window.h"

namespace tessaly {

// Small and medium ETA windows: caption-less, coloured labels.
class FrmCustomETABox : public Window {
public:
    FrmCustomETABox(App& app, const std::string& name, int label_count);

    std::vector<Control> labels;  // one, two, ... (captions)
    Control Labeltitle, labelClose, Shape1, distance;
    Timer Timer1;

    // Colours as 0x00BBGGRR; these built-in ones until the settings apply theirs.
    std::uint32_t text_colour = 0x000000, border_colour = 0x000000, tag_colour = 0x000000,
                  back_colour = 0xFFFFFF;

    void load() override;
    void Timer1_Timer();
    void mouse_down(int button);  // 1 = left
    void labelClose_Click();

    static const char* label_name(int i);  // 0 -> "one"
};

class FrmCustomETA : public FrmCustomETABox {
public:
    explicit FrmCustomETA(App& app) : FrmCustomETABox(app, "frmCustomETA", 8) {}
};
class FrmCustomETA1 : public FrmCustomETABox {
public:
    explicit FrmCustomETA1(App& app) : FrmCustomETABox(app, "frmCustomETA1", 13) {}
};

class FrmCustomETA2 : public Window {
public:
    explicit FrmCustomETA2(App& app);
    Control List1, focus;
    Timer Timer1;
    void load() override;
    void close_request() override;
    void Timer1_Timer();
    void List1_Click();
};

}  // namespace tessaly
