// A rectangle of the screen cut into equal cells, numbered row by row, for the search grids of
// the cut: points beyond the rectangle belong to its border cells.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

struct ScreenCells {
    double x0 = 0, y0 = 0;       // the rectangle's lower left corner
    double cellW = 1, cellH = 1; // a cell's size (> 0)
    int cellsX = 1, cellsY = 1;  // cells a side (>= 1)

    int cellX(double x) const {
        return static_cast<int>(std::clamp(std::floor((x - x0) / cellW), 0.0, cellsX - 1.0));
    }
    int cellY(double y) const {
        return static_cast<int>(std::clamp(std::floor((y - y0) / cellH), 0.0, cellsY - 1.0));
    }
    std::size_t cell(int cx, int cy) const { return static_cast<std::size_t>(cy) * cellsX + cx; }
    std::size_t count() const { return static_cast<std::size_t>(cellsX) * cellsY; }

    // Calls visit(cx, cy, cell) for each cell the box meets, row by row, until it returns true;
    // returns whether it did.
    template <typename Visit>
    bool anyInBox(double minX, double maxX, double minY, double maxY, Visit visit) const {
        const int cx0 = cellX(minX), cx1 = cellX(maxX), cy0 = cellY(minY), cy1 = cellY(maxY);
        for (int cy = cy0; cy <= cy1; ++cy)
            for (int cx = cx0; cx <= cx1; ++cx)
                if (visit(cx, cy, cell(cx, cy)))
                    return true;
        return false;
    }
};
