#pragma once
// The storm list: Delete and F2 in its list are the Erase and Rename buttons
// (Enter is the default Select already).
#include "ui/win32/list_keys_view.h"
#include "ui/win32/resource.h"

namespace tessaly::ui {

class StormsView : public ListKeysView {
public:
    StormsView(Win32Ui& ui, Window& model, const ViewDef& def)
        : ListKeysView(ui, model, def, IDC_STORM_LIST,
                       {{VK_DELETE, "erase_storm"}, {VK_F2, "rename_storm"}}) {}
};

}  // namespace tessaly::ui
