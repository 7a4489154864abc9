#pragma once
// Text metrics for tests: every character (code point) as wide as `charWidth`
// twips unless named in `widths`, every line `lineHeight` high, whatever the
// font, so that a test can work out a layout by hand.
#include <map>

#include "report/Document.h"

namespace report::testing {

class FixedTextMetrics : public TextMetrics {
public:
    explicit FixedTextMetrics(double charWidth = 100, double lineHeight = 200)
        : charWidth_(charWidth), lineHeight_(lineHeight) {}

    // One character's own width.
    void setWidth(char32_t c, double width) { widths_[c] = width; }

    [[nodiscard]] double width(std::string_view utf8, const Font&) const override {
        double w = 0;
        for (size_t i = 0; i < utf8.size();) {
            const auto lead = static_cast<unsigned char>(utf8[i]);
            const size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t c = n == 1 ? lead : lead & (0x7F >> n);
            for (size_t k = 1; k < n && i + k < utf8.size(); ++k)
                c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            const auto it = widths_.find(c);
            w += it == widths_.end() ? charWidth_ : it->second;
            i += n;
        }
        return w;
    }
    [[nodiscard]] double height(std::string_view, const Font&) const override {
        return lineHeight_;
    }

private:
    double charWidth_;
    double lineHeight_;
    std::map<char32_t, double> widths_;
};

}  // namespace report::testing
