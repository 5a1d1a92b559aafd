#pragma once
// The progress line: one line on stderr, rewritten in place with a carriage
// return, showing how far a run has come and how long the rest may take.
// It is drawn only when asked for (a terminal on stderr, or --progress) and
// adds nothing to standard output or to the result files.
#include <chrono>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "common/units.hpp"

namespace tidmor {

class Progress : public RelaxationObserver {
public:
    // `t_max` and `t_wave` give the number of wave periods the run has:
    // the time loop runs while the model time is below T_MAX.
    Progress(std::ostream& line_out, double t_max, double t_wave);

    // A sweep of the start-up relaxation of the water table: the sweep
    // number and the mean movement of the water-table nodes in it (m).
    void relaxation_sweep(int sweep, double movement) override;

    // A step of the time loop, at model time `time` (s); `period_closed`
    // when the step ended a wave period.
    void time_step(double time, bool period_closed);

    // The run goes on from a checkpoint at model time `time` (s), with
    // `periods_closed` periods behind it; the pace is taken from here on.
    void restarted(double time, std::uint64_t periods_closed);

    // Clears the line (before other text reaches the same terminal, and at
    // the end of the run); the next update draws it afresh.
    void erase();

    // Wave periods of the run: T_MAX / T_WAVE rounded up, the last possibly cut short.
    int periods() const { return periods_; }

    // The text of the line in the time loop (without the carriage return).
    std::string period_text(double time, double wall_seconds) const;

private:
    using Clock = std::chrono::steady_clock;
    bool due(bool always);
    void show(const std::string& text);

    std::ostream& out_;
    double t_max_;
    double t_start_ = 0;
    int periods_;
    int periods_closed_ = 0;
    Clock::time_point started_;
    Clock::time_point loop_started_;
    bool loop_running_ = false;
    Clock::time_point last_drawn_;
    bool drawn_once_ = false;
    std::size_t shown_width_ = 0;
};

// A stream buffer that passes every character to `target` unchanged, but
// clears the progress line first, so that console lines written to the same
// terminal never run into it.
class ConsoleBesideProgress : public std::streambuf {
public:
    ConsoleBesideProgress(std::streambuf* target, Progress& progress) : target_(target), progress_(progress) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    std::streambuf* target_;
    Progress& progress_;
};

// A duration as "m:ss", or "h:mm:ss" from an hour on.
std::string clock_text(double seconds);

}  // namespace tidmor
