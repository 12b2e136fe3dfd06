#include "app/stroke.h"

#include "app/app_state.h"

Point2 toOverlayPoint(int x, int y) {
    const double w = windowWidth, h = windowHeight;
    return {static_cast<float>(w / 3 + x / 3.0), static_cast<float>((h - y) / 3 + h / 3)};
}

void clearStroke() {
    lassoStroke.clear();
}

void clearPolygon() {
    lassoPolygon.clear();
}

void addStrokePoint(Point2 p) {
    if (lassoStroke.empty())
        lassoStroke.push_back(p);
    else
        lassoStroke.push_back({(p.x + lastStrokePoint.x) * 0.5f, (p.y + lastStrokePoint.y) * 0.5f});
    lastStrokePoint = p;
}
