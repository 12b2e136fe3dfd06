// Shared set-up of the application-shell tests: the process-wide state back at its start-up
// values, and an offscreen 3-D window driven through the same window-system seam as the GUI.
#pragma once

#include "app/display.h"
#include "app/startup.h"
#include "mesh/texture.h"
#include "platform/offscreen_window_system.h"
#include "script/session_runner.h"
#include "script/session_script.h"
#include "tests/support/app_reset.h"
#include "tests/support/console.h"
#include "tests/support/gl_test.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>

// A started program on an offscreen 640 x 480 window.
class OffscreenAppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        context = &testContext(640, 480);
        auto system = std::make_unique<OffscreenWindowSystem>(*context);
        windows = system.get();
        setWindowSystem(std::move(system));
        installTextureDeleter();
        resetApplicationState();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        reshapeWindow(640, 480);
        windows->redisplayRequests = 0;
    }
    void TearDown() override { setWindowSystem(nullptr); }

    // Parses and runs a session script, which must parse; returns the runner's status.
    int run(const std::string& script) {
        const ParsedScript parsed = parseSessionScript(script);
        EXPECT_FALSE(parsed.error) << parsed.error->reason;
        return runSessionCommands(parsed.commands);
    }

    OffscreenContext* context = nullptr;
    OffscreenWindowSystem* windows = nullptr;
};
