#include "run/progress.hpp"

#include <cmath>
#include <cstdio>

namespace tidmor {

namespace {

// Redraw at most this often (s): a terminal that is written to at every
// time step slows the run and flickers.
constexpr double REDRAW_INTERVAL = 0.2;

double seconds_between(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

std::string seconds_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

std::string clock_text(double seconds) {
    const long long total = seconds > 0.0 ? std::llround(seconds) : 0;
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

Progress::Progress(std::ostream& line_out, double t_max, double t_wave)
    : out_(line_out),
      t_max_(t_max),
      // The loop always takes one step, so a run has at least one period.
      periods_(t_max > t_wave ? static_cast<int>(std::ceil(t_max / t_wave)) : 1),
      started_(Clock::now()) {}

bool Progress::due(bool always) {
    const auto now = Clock::now();
    if (!always && drawn_once_ && seconds_between(last_drawn_, now) < REDRAW_INTERVAL) return false;
    last_drawn_ = now;
    drawn_once_ = true;
    return true;
}

void Progress::relaxation_sweep(int sweep, double movement) {
    if (!due(sweep == 1)) return;
    char moved[32];
    std::snprintf(moved, sizeof moved, "%.3e", movement);
    show("aquifer start-up: sweep " + std::to_string(sweep) + ", water table moved " + moved + " m, " +
         clock_text(seconds_between(started_, Clock::now())) + " elapsed");
}

std::string Progress::period_text(double time, double wall_seconds) const {
    // The period under way; a run's last step may close its last period.
    const int period = periods_closed_ < periods_ ? periods_closed_ + 1 : periods_;
    std::string left = "--";
    // The rest of the run is assumed to go at the pace of the loop so far.
    if (time > t_start_ && wall_seconds > 0.0)
        left = clock_text(time < t_max_ ? wall_seconds * (t_max_ - time) / (time - t_start_) : 0.0);
    return "period " + std::to_string(period) + " of " + std::to_string(periods_) + ", t = " + seconds_text(time) +
           " s, elapsed " + clock_text(seconds_between(started_, Clock::now())) + ", left ~" + left;
}

void Progress::restarted(double time, std::uint64_t periods_closed) {
    t_start_ = time;
    periods_closed_ = static_cast<int>(periods_closed);
}

void Progress::time_step(double time, bool period_closed) {
    if (!loop_running_) {
        loop_started_ = Clock::now();
        loop_running_ = true;
    }
    if (period_closed) ++periods_closed_;
    if (!due(period_closed)) return;
    show(period_text(time, seconds_between(loop_started_, Clock::now())));
}

void Progress::show(const std::string& text) {
    // Blanks over what a longer earlier line leaves behind.
    std::string line = "\r" + text;
    if (text.size() < shown_width_) line.append(shown_width_ - text.size(), ' ');
    out_ << line << std::flush;
    shown_width_ = text.size();
}

void Progress::erase() {
    if (shown_width_ == 0) return;
    out_ << '\r' << std::string(shown_width_, ' ') << '\r' << std::flush;
    shown_width_ = 0;
}

ConsoleBesideProgress::int_type ConsoleBesideProgress::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    progress_.erase();
    return target_->sputc(traits_type::to_char_type(c));
}

std::streamsize ConsoleBesideProgress::xsputn(const char* s, std::streamsize n) {
    progress_.erase();
    return target_->sputn(s, n);
}

int ConsoleBesideProgress::sync() { return target_->pubsync(); }

}  // namespace tidmor
