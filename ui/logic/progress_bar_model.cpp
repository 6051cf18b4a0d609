#include "progress_bar_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kinorex {

namespace {

// Truncation toward zero that stays defined for values an int cannot hold.
int truncateToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double kLowest = std::numeric_limits<int>::min();
    constexpr double kHighest = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(value, kLowest, kHighest));
}

}  // namespace

void ProgressBarModel::setRange(int lower, int upper) {
    lower_ = lower;
    upper_ = upper;
}

bool ProgressBarModel::setTextShown(bool shown) {
    const bool changed = shown != textShown_;
    textShown_ = shown;
    return changed;
}

bool ProgressBarModel::setText(std::string text) {
    if (text == text_) {
        return false;
    }
    text_ = std::move(text);
    return true;
}

ProgressBarModel::PositionChange ProgressBarModel::setPosition(int position, int clientWidth) {
    const int previous = position_;
    position_ = position;
    const int width = filledWidth(clientWidth);
    if (width == lastBarWidth_) {
        return {previous, false};
    }
    lastBarWidth_ = width;
    return {previous, true};
}

// Both differences go to double before the division, so that a position far
// outside the range cannot overflow. The quotient is not exact: 29 of 0..100
// gives 0.29, whose product with 100.0 truncates to 28, and the painted text
// says 28% as it always has.
double ProgressBarModel::fraction() const {
    return (static_cast<double>(position_) - static_cast<double>(lower_)) /
           (static_cast<double>(upper_) - static_cast<double>(lower_));
}

// Held to 0..clientWidth: a filled part beyond either edge paints exactly as
// one at that edge, and an empty range (whose fraction is not a number) paints
// nothing at all.
int ProgressBarModel::filledWidth(int clientWidth) const {
    if (!paintable()) {
        return 0;
    }
    return std::clamp(truncateToInt(static_cast<double>(clientWidth) * fraction()), 0,
                      std::max(clientWidth, 0));
}

std::optional<std::string> ProgressBarModel::paintedText() const {
    if (!textShown_) {
        return std::nullopt;
    }
    if (!text_.empty()) {
        return text_;
    }
    return std::to_string(truncateToInt(fraction() * 100.0)) + "%";
}

}  // namespace kinorex
