#pragma once

#include "platform/ui/Color.h"
#include "platform/ui/View.h"

#include <array>
#include <optional>
#include <string>

namespace results_widget {

// The size of a ring: the fraction of its 350-point square that the ring's centre line spans.
enum class RingDiameter { small, medium, big, calculated };

// 0.04, 0.27, 0.37 and 1.0.
double rawValue(RingDiameter diameter);
// The size whose raw value is exactly this one, if any (never for a value that is not a number).
std::optional<RingDiameter> ringDiameter(double rawValue);

// A gauge: an arc from twelve o'clock growing clockwise with progress over a track, closing into
// a full ring with a head dot from 0.98 on, with a caption across its top.
struct ActivityRing {
    ActivityRing(double progress, std::string title, RingDiameter ringDia);

    double progress;

    const std::string& title() const { return title_; }
    RingDiameter ringDia() const { return ringDia_; }
    platform::ui::View body() const;

private:
    // Start (sweep and start dot), end (sweep), head (closed form's dot), track.
    std::array<platform::ui::Color, 4> ringColor() const;
    // The vertical offset from the square's centre of the ring's centre line at twelve o'clock.
    double fullCircleDotOffset() const;
    platform::ui::View openForm() const;
    platform::ui::View closedForm() const;
    platform::ui::View caption() const;

    std::string title_;
    RingDiameter ringDia_;
    double ringThickness = 15;
};

} // namespace results_widget
