#include "report/Document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace report {

std::vector<double> TextMetrics::prefixWidths(std::string_view utf8, const Font& font) const {
    std::vector<double> out;
    for (size_t i = 1; i <= utf8.size(); ++i)
        // At the end of each character: the next byte is no continuation byte.
        if (i == utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80)
            out.push_back(width(utf8.substr(0, i), font));
    return out;
}

int32_t PageFormat::printableWidth() const {
    const int32_t sheet = orientation == Orientation::Landscape ? paper.height : paper.width;
    return std::max<int32_t>(0, sheet - margins.left - margins.right);
}

int32_t PageFormat::printableHeight() const {
    const int32_t sheet = orientation == Orientation::Landscape ? paper.width : paper.height;
    return std::max<int32_t>(0, sheet - margins.top - margins.bottom);
}

int32_t roundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value);  // the default rounding mode: halves to even
    if (r >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

Document::Document(const TextMetrics& metrics) : metrics_(&metrics) { NewDocument(); }

void Document::NewDocument() {
    title_.clear();
    foreColor_ = kBlack;
    x_ = 0;
    y_ = 0;
    pages_.assign(1, Page{});
}

void Document::PrintAligned(std::string_view text, int32_t alignment) {
    const double width = TextWidth(text);
    if (alignment == 1)
        x_ = PageWidth() - width;
    else if (alignment == 2)
        x_ = (PageWidth() - width) / 2;
    else
        x_ = 0;
    PrintLine(text);
}

void Document::PrintLine(std::string_view text) {
    const double height = TextHeight(text);
    // A line that does not fit below goes to a new page; one that is at the
    // top already is printed there all the same (it fits no better anywhere).
    if (y_ > 0 && y_ + height > PageHeight()) {
        const double x = x_;
        NewPage();
        x_ = x;
    }
    pages_.back().items.emplace_back(TextItem{x_, y_, std::string(text), font_, foreColor_});
    x_ = 0;
    y_ += height;
}

void Document::Box(double x1, double y1, double x2, double y2, Colour colour, BoxStyle style) {
    pages_.back().items.emplace_back(BoxItem{x1, y1, x2, y2, colour, style});
}

void Document::PrintPicture(std::string file, double x, double y,
                            std::optional<PictureFallback> fallback) {
    pages_.back().items.emplace_back(PictureItem{std::move(file), x, y, std::move(fallback)});
}

void Document::NewPage() {
    pages_.emplace_back();
    x_ = 0;
    y_ = 0;
}

double Document::TextWidth(std::string_view text) const { return metrics_->width(text, font_); }

double Document::TextHeight(std::string_view text) const { return metrics_->height(text, font_); }

std::vector<double> Document::TextWidths(std::string_view text) const {
    return metrics_->prefixWidths(text, font_);
}

namespace {

std::string number(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    std::string s(buffer);
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

std::string colour(Colour c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%06X", static_cast<unsigned>(c));
    return buffer;
}

}  // namespace

std::string describe(const Item& item) {
    if (const auto* t = std::get_if<TextItem>(&item)) {
        std::string s = "text " + number(t->x) + "," + number(t->y) + " \"" + t->text + "\"";
        if (t->colour != kBlack) s += " " + colour(t->colour);
        if (t->font.bold) s += " bold";
        return s;
    }
    if (const auto* b = std::get_if<BoxItem>(&item)) {
        return "box " + number(b->x1) + "," + number(b->y1) + "-" + number(b->x2) + "," +
               number(b->y2) + (b->style == BoxStyle::Filled ? " fill " : " frame ") +
               colour(b->colour);
    }
    const auto& p = std::get<PictureItem>(item);
    std::string s = "picture \"" + p.file + "\" " + number(p.x) + "," + number(p.y);
    if (p.fallback) s += " or " + p.fallback->list + "#" + std::to_string(p.fallback->index);
    return s;
}

std::vector<std::string> Document::describe() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (i > 0) out.push_back("page " + std::to_string(i + 1));
        for (const Item& item : pages_[i].items) out.push_back(report::describe(item));
    }
    return out;
}

}  // namespace report
