// SPDX-License-Identifier: MIT
#include "app/main_layout.h"

namespace layout {

intptr_t CreatePlacedControl(const Placement &p, int32_t number) {
    switch (p.kind) {
    case KIND_LABEL: return CreateLabel(number, p.x, p.y, p.width, p.height, p.text);
    case KIND_TEXT_FIELD: return CreateTextField(number, p.x, p.y, p.width, p.height, p.text);
    case KIND_BUTTON: return CreateButton(number, p.x, p.y, p.width, p.height, p.text);
    default: return 0;
    }
}

} // namespace layout
