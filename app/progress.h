// Progress of long commands. A command's steps report their name and how far the command has
// come; once the command has run for half a second its display shows a bar with the step's
// name and marks the program busy, until the command ends. Short commands show nothing.
#pragma once

#include <functional>
#include <string>

// Where progress shows: the panel's bar and the 3-D window's busy cursor.
class ProgressDisplay {
  public:
    virtual ~ProgressDisplay() = default;
    // Draws the bar: text (the command and its step) and fraction, 0 .. 1.
    virtual void show(const std::string& text, double fraction) = 0;
    // Marks the program busy (true) or idle again (false).
    virtual void busy(bool on) = 0;
};

// Decides when a display shows progress: not before a command has run for kProgressDelay
// seconds, and then at most once per kProgressInterval, so that showing costs the work
// nothing to speak of. clock gives seconds.
class ProgressMeter {
  public:
    static constexpr double kProgressDelay = 0.5, kProgressInterval = 0.1;

    ProgressMeter(std::function<double()> clock, ProgressDisplay& display)
        : clock_(std::move(clock)), display_(display) {}

    // A command named command starts (one at a time: a command inside another, as "Open
    // Mesh" inside a session, counts as a step of the outer one).
    void begin(const std::string& command);
    // The running command has reached step, fraction (0 .. 1, clamped) of its way.
    void step(const std::string& step, double fraction);
    // The running command ends: the display is marked idle if it was marked busy.
    void end();

  private:
    std::function<double()> clock_;
    ProgressDisplay& display_;
    std::string command_;
    int depth_ = 0;
    double started_ = 0, shown_ = 0;
    bool busy_ = false;
};

// The program's meter, on the panel when there is one (nothing shows in batch runs).
ProgressMeter& progressMeter();

// A command's span on the program's meter: begins at construction, ends at destruction.
class CommandProgress {
  public:
    explicit CommandProgress(const std::string& command) { progressMeter().begin(command); }
    ~CommandProgress() { progressMeter().end(); }
    CommandProgress(const CommandProgress&) = delete;
    CommandProgress& operator=(const CommandProgress&) = delete;
};

// A step of the running command on the program's meter.
inline void progressStep(const std::string& step, double fraction) {
    progressMeter().step(step, fraction);
}
