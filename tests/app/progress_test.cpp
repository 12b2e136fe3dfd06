// When a long command shows its progress: a table of named command timelines, each a list of
// calls at given seconds, against the display calls they must give.
#include "app/progress.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

class RecordingDisplay : public ProgressDisplay {
  public:
    void show(const std::string& text, double fraction) override {
        log << "show " << text << " " << fraction << "; ";
    }
    void busy(bool on) override { log << (on ? "busy; " : "idle; "); }
    std::ostringstream log;
};

// One call on the meter at a time: 'b' begin(text), 's' step(text, fraction), 'e' end().
struct Call {
    double at;
    char kind;
    const char* text = "";
    double fraction = 0;
};

struct Timeline {
    const char* name;
    std::vector<Call> calls;
    const char* shown;
};

const Timeline kTimelines[] = {
    {"a short command shows nothing",
     {{0, 'b', "Export"}, {0.1, 's', "writing", 0.5}, {0.49, 's', "writing", 0.9}, {0.49, 'e'}},
     ""},
    {"a long one shows from half a second, busy until it ends",
     {{0, 'b', "Export Solid"},
      {0.2, 's', "drawing", 0.05},
      {0.6, 's', "building the panel", 0.25},
      {1.5, 's', "writing the STL file", 0.5},
      {2, 'e'}},
     "busy; show Export Solid: building the panel 0.25; show Export Solid: writing the STL "
     "file 0.5; idle; "},
    {"steps closer than a tenth of a second show once",
     {{0, 'b', "Preview"},
      {0.5, 's', "a", 0.1},
      {0.55, 's', "b", 0.2},
      {0.59, 's', "c", 0.3},
      {0.61, 's', "d", 0.4},
      {0.7, 'e'}},
     "busy; show Preview: a 0.1; show Preview: d 0.4; idle; "},
    {"a command inside another is one of its steps; fractions are clamped",
     {{0, 'b', "Open Session"},
      {0.1, 'b', "Open Mesh"},
      {0.8, 's', "reading the model", 1.5},
      {0.9, 'e'},
      {1.0, 's', "", -1},
      {1.1, 'e'},
      {1.2, 's', "after the end", 0.5}},
     "busy; show Open Session: reading the model 1; show Open Session 0; idle; "},
    {"an end without a begin, or a step outside a command, shows nothing",
     {{0, 'e'}, {1, 's', "stray", 0.5}, {2, 'b', "Export"}, {2.7, 's', "", 0.5}, {2.8, 'e'}},
     "busy; show Export 0.5; idle; "},
};

TEST(Progress, ShowsLongCommandsOnlyAndAtMostTenTimesASecond) {
    for (const Timeline& timeline : kTimelines) {
        SCOPED_TRACE(timeline.name);
        double now = 0;
        RecordingDisplay display;
        ProgressMeter meter([&] { return now; }, display);
        for (const Call& call : timeline.calls) {
            now = call.at;
            if (call.kind == 'b')
                meter.begin(call.text);
            else if (call.kind == 's')
                meter.step(call.text, call.fraction);
            else
                meter.end();
        }
        EXPECT_EQ(display.log.str(), timeline.shown);
    }
}

} // namespace
