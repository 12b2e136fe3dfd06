#include "app/part_commands.h"

#include "app/app_state.h"

// Painting and picking join these once the selection passes are wired in; until then a
// closed lasso paints nothing and a Shift+click toggles nothing.

void applyLassoCommand() {
    lassoPolygon.clear();
}

void toggleFaceCommand(int, int) {}
