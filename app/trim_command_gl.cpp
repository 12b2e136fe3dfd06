#include "app/app_state.h"
#include "app/part_commands.h"
#include "app/trim_setting.h"

void trimHiddenCommand() {
    if (partsMeasured)
        rebuildOutputModel();
}

void reapplyTrimHidden() {
    if (trimHidden != 0 && partsMeasured)
        rebuildOutputModel();
}
