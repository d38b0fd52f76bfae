#pragma once
#include "app/window.h"

namespace tessaly {

// Placefile information: the path to paste into the viewer's placefile manager.
class FrmPFinfo : public Window {
public:
    explicit FrmPFinfo(App& app);
    Control Frame1, pfdir, Label2, Label1, size, copypfdir, focus;
    void load() override;
    void copypfdir_Click();
    static std::string group_thousands(long long n, const std::string& sep);
};

}  // namespace tessaly
