// The GL-free projection must give what GLU gives, bit for bit, so that the conversion math
// run without a context matches the program's earlier results exactly.
#include "selection/projection.h"

#include "tests/selection/selection_fixture.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <random>

using namespace selection_test;

namespace {

// Views of three kinds: the program's camera turned and moved at random, general random
// matrices, and random matrices with random viewports.
ViewTransform randomView(std::mt19937& rng, int kind) {
    std::uniform_real_distribution<double> any(-2, 2);
    ViewTransform view = programView(640, 480);
    if (kind == 0) {
        for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13})
            view.modelview[i] += 0.3 * any(rng);
        view.modelview[14] = -100 + 40 * any(rng);
        return view;
    }
    for (double& m : view.modelview)
        m = any(rng);
    for (double& m : view.projection)
        m = any(rng);
    if (kind == 2) {
        std::uniform_int_distribution<int> size(1, 3000), offset(-3000, 3000);
        view.viewport[0] = offset(rng);
        view.viewport[1] = offset(rng);
        view.viewport[2] = size(rng);
        view.viewport[3] = size(rng);
    }
    return view;
}

} // namespace

TEST(Projection, ProjectAndUnprojectAgreeWithGluBitForBit) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> coordinate(-60, 60), window(-500, 1500), depth(-1, 2);
    int compared = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const ViewTransform view = randomView(rng, trial % 3);
        const Unprojector unproject(view);
        for (int i = 0; i < 20; ++i) {
            const DPoint3 object{coordinate(rng), coordinate(rng), coordinate(rng)};
            DPoint3 mine{-7, -7, -7};
            double gx = -7, gy = -7, gz = -7;
            const bool ok = projectPoint(view, object, mine);
            ASSERT_EQ(ok, gluProject(object.x, object.y, object.z, view.modelview, view.projection,
                                     view.viewport, &gx, &gy, &gz) == GL_TRUE);
            EXPECT_EQ(mine.x, gx);
            EXPECT_EQ(mine.y, gy);
            EXPECT_EQ(mine.z, gz);

            const DPoint3 win{window(rng), window(rng), depth(rng)};
            DPoint3 back{-7, -7, -7};
            const bool unOk = unproject(win, back);
            ASSERT_EQ(unOk, gluUnProject(win.x, win.y, win.z, view.modelview, view.projection,
                                         view.viewport, &gx, &gy, &gz) == GL_TRUE);
            EXPECT_EQ(back.x, gx);
            EXPECT_EQ(back.y, gy);
            EXPECT_EQ(back.z, gz);
            compared += ok && unOk;
        }
    }
    EXPECT_EQ(compared, 6000);
}

TEST(Projection, FailsWhereGluFailsAndLeavesTheResultAlone) {
    const ViewTransform view = programView(640, 480);
    // The eye itself (0, 0, 100) has clip w = 0.
    DPoint3 untouched{1, 2, 3};
    double gx, gy, gz;
    EXPECT_FALSE(projectPoint(view, {0, 0, 100}, untouched));
    EXPECT_EQ(gluProject(0, 0, 100, view.modelview, view.projection, view.viewport, &gx, &gy, &gz),
              GL_FALSE);
    EXPECT_EQ(untouched.x, 1);

    // A singular model-view matrix cannot be inverted.
    ViewTransform flat = view;
    flat.modelview[10] = 0;
    EXPECT_FALSE(Unprojector(flat)({320, 240, 0.5}, untouched));
    EXPECT_EQ(
        gluUnProject(320, 240, 0.5, flat.modelview, flat.projection, flat.viewport, &gx, &gy, &gz),
        GL_FALSE);
    EXPECT_EQ(untouched.z, 3);
}
