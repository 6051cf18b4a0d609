#pragma once

#include <optional>
#include <string>

namespace kinorex {

// The text progress bar without its drawing: range, position, the filled
// width in pixels and the text to paint. The widget asks it what to paint and
// whether a position change needs a repaint.
class ProgressBarModel {
public:
    struct PositionChange {
        int previous;
        bool repaint;  // the filled width changed: repaint at once
    };

    // Stores the bounds only; nothing repaints.
    void setRange(int lower, int upper);
    // Whether the bar must be repainted.
    bool setTextShown(bool shown);
    // The bar's own text replaces the percentage while it is not empty.
    // Whether the bar must be repainted.
    bool setText(std::string text);
    // The position is not clamped to the range.
    PositionChange setPosition(int position, int clientWidth);
    // The next position change repaints whatever its filled width.
    void resized() { lastBarWidth_ = -1; }

    int position() const { return position_; }
    const std::string& text() const { return text_; }
    // A bar with an empty range paints nothing at all.
    bool paintable() const { return lower_ < upper_; }
    double fraction() const;
    int filledWidth(int clientWidth) const;
    // The stored text, or the percentage; nothing when the text is switched off.
    std::optional<std::string> paintedText() const;

private:
    int position_ = 0;
    int lower_ = 0;
    int upper_ = 100;
    std::string text_;
    bool textShown_ = true;
    int lastBarWidth_ = -1;
};

}  // namespace kinorex
