#pragma once
// The watched places window: Delete in its list is the Remove button, F2
// and Enter the Rename button (Enter in the name and position fields is the
// default Add).
#include "ui/win32/list_keys_view.h"
#include "ui/win32/resource.h"

namespace tessaly::ui {

class WatchedView : public ListKeysView {
public:
    WatchedView(Win32Ui& ui, Window& model, const ViewDef& def)
        : ListKeysView(
              ui, model, def, IDC_WATCHED_PLACES,
              {{VK_DELETE, "remove_place"}, {VK_F2, "rename_place"}, {VK_RETURN, "rename_place"}}) {
    }

    bool key_message(const MSG& msg) override;
};

}  // namespace tessaly::ui
