#include "app/trackball.h"

Trackball::Trackball(int w, int h) : width(w), height(h) { resetTrackball(); }

void Trackball::resetTrackball() {
    rotation = {0, 0, 0, 1};
    dragRotation = {0, 0, 0, 1};
    translation = {0, 0, -startDistance};
    moveScale = {startDistance, startDistance, startDistance};
}
