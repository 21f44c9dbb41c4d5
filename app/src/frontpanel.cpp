#include "frontpanel.h"

namespace oxapp {

FrontPanel::FrontPanel(const _OX_SETUP& state) : state_(state) {}

void FrontPanel::Perform(oxact::ActionId id) {
    const oxact::ActionRow& row = oxact::Row(id);
    if (row.plan == nullptr) return;
    // A command the full queue did not take has put its own message on the screen.
    static_cast<void>(oxact::Perform(row.plan(state_), currentPanel_));
}

} // namespace oxapp
