#include "app/picture_check.h"

#include "app/app_state.h"

#include <iostream>

int showChanges = 0;

PictureRecord& pictureRecord() {
    static PictureRecord record;
    return record;
}

const PictureComparison& lastPictureComparison() {
    return pictureRecord().last;
}

std::string pictureKeptText() {
    if (!partsMeasured || !pictureRecord().measured)
        return "";
    return "Picture kept: " + keptPercent(pictureRecord().last) + " %";
}

std::string scriptedPicture(const CommandArgs&) {
    if (!partsMeasured || !pictureRecord().measured)
        return "nothing to measure before the first \"Preview\"";
    const PictureComparison& c = pictureRecord().last;
    std::cout << "picture kept: " << keptPercent(c)
              << "% of the model's pixels from the set-up camera (" << c.differ << " of "
              << c.modelPixels << " differ)" << std::endl;
    return {};
}
