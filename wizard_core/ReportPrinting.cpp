#include <algorithm>
#include <string_view>
#include <vector>

#include "wizard_core/MFunctions.h"

namespace wizard::MFunctions {

namespace {

using report::kTwipsPerPixel;

// A UTF-8 text addressed by character (code point), from 1, as the layout
// rules count; any byte sequence comes back out unchanged.
class Chars {
public:
    explicit Chars(std::string text) : text_(std::move(text)) {
        for (size_t i = 0; i < text_.size(); ++i)
            if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) starts_.push_back(i);
        starts_.push_back(text_.size());
    }
    [[nodiscard]] const std::string& text() const { return text_; }
    [[nodiscard]] size_t length() const { return starts_.size() - 1; }
    // The first n characters (all of them when n is beyond the end).
    [[nodiscard]] std::string left(size_t n) const {
        return text_.substr(0, starts_[std::min(n, length())]);
    }
    // From character `position` on.
    [[nodiscard]] std::string from(size_t position) const {
        return text_.substr(starts_[std::min(position - 1, length())]);
    }
    // Whether character j is a blank ("no" beyond the end).
    [[nodiscard]] bool blankAt(size_t j) const {
        return j >= 1 && j <= length() && text_[starts_[j - 1]] == ' ';
    }

private:
    std::string text_;
    std::vector<size_t> starts_;
};

std::vector<std::string> splitAtCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    lines.push_back(text.substr(start));
    return lines;
}

bool onlyBlanks(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// The output lines of one source line, as wide as `width` at most where that
// can be done.
void wrapLine(const report::Document& preview, std::string line, int32_t width, bool all,
              std::vector<std::string>& out) {
    if (preview.TextWidth(line) <= width) {
        out.push_back(std::move(line));
        return;
    }
    Chars s(std::move(line));
    // The width of the first j characters of what is left (all of it beyond
    // its end), measured in one pass per piece.
    std::vector<double> widths = preview.TextWidths(s.text());
    auto prefixWidth = [&](size_t j) {
        return widths.empty() ? 0.0 : widths[std::min(j, widths.size()) - 1];
    };
    // Position 1 doubles as "no blank found": a blank at the very start of a
    // line is never a place to break.
    size_t b = 1;
    const size_t length = s.length();
    for (size_t j = 1; j <= length; ++j) {
        // Past the end of what is left the rest is measured whole, and it did
        // fit (else it was cut): nothing changes any more.
        if (j > s.length() + 1) break;
        if (s.blankAt(j)) b = j;
        if (prefixWidth(j) > width) {
            if (b == 1) b = j;
            out.push_back(s.left(b - 1));
            s = Chars(s.from(b));
            widths = preview.TextWidths(s.text());
            b = 1;
            if (!all) break;
            j = 1;  // on with the second character of the rest
        }
    }
    if (!onlyBlanks(s.text())) out.push_back(s.text());
}

void printFooter(report::Document& preview, double lineHeight) {
    preview.CurrentY(preview.PageHeight() - lineHeight);
    preview.ForeColor(report::kGrey);
    preview.PrintAligned("Page " + std::to_string(preview.CurrentPage()), 2);
}

}  // namespace

void PrintWrappedText(report::Document& Preview, const std::string& Text, int32_t Width,
                      int32_t Wrap, int32_t Align) {
    const bool all = Wrap == -1;
    const int32_t x0 = Preview.CurrentX();
    std::vector<std::string> out;
    for (std::string& line : splitAtCrLf(Text)) wrapLine(Preview, std::move(line), Width, all, out);

    for (size_t k = 0; k < out.size(); ++k) {
        const std::string& line = out[k];
        if (Align == 1)
            Preview.CurrentX(Preview.CurrentX() + (Width - Preview.TextWidth(line)));
        else if (Align == 2)
            Preview.CurrentX(Preview.CurrentX() + (Width - Preview.TextWidth(line)) / 2);
        Preview.PrintLine(line);
        Preview.CurrentX(x0);
        if (!all) break;
        const double height = Preview.TextHeight(line);
        if (Preview.CurrentY() + 3 * height > Preview.PageHeight()) {
            printFooter(Preview, height);
            Preview.ForeColor(report::kBlack);
            if (k + 1 < out.size()) Preview.NewPage();
        }
    }
    Preview.CurrentX(x0);
}

void PrintGrid(report::Document& Preview, const PrintableGrid& Grid,
               const PrintableImageList& ImageList, const std::string& ImageFolder) {
    constexpr int32_t tx = kTwipsPerPixel;
    constexpr int32_t ty = kTwipsPerPixel;
    Preview.ForeColor(report::kBlack);
    Preview.Font(Grid.Font());

    const int32_t y0 = Preview.CurrentY();
    const int32_t x0 = Preview.CurrentX();
    const int32_t headerHeight = Grid.HeaderHeight();
    const int32_t n = Grid.Columns();
    for (int32_t c = 1; c <= n; ++c) {
        if (!Grid.ColumnVisible(c)) continue;
        Preview.CurrentY(y0);
        const int32_t left = Preview.CurrentX();
        const int32_t w = Grid.ColumnWidth(c);
        const double right = left + static_cast<double>(tx) * w;
        const double bottom = y0 + static_cast<double>(ty) * headerHeight;
        Preview.Box(left, y0, right, bottom, report::kGrey, report::BoxStyle::Filled);
        Preview.CurrentY(y0);
        Preview.CurrentX(left);
        Preview.Box(left, y0, right, bottom, report::kBlack, report::BoxStyle::Frame);
        Preview.CurrentY(y0);
        Preview.CurrentX(left);
        PrintWrappedText(Preview, Grid.ColumnHeader(c), report::roundHalfEven(tx * double(w)), 0,
                         2);
        Preview.CurrentX(right);
    }
    Preview.CurrentX(x0);
    int32_t y = report::roundHalfEven(ty * double(headerHeight) + y0);
    Preview.CurrentY(y);

    // A picture n from its numbered bitmap, else from the image list.
    auto picture = [&](int32_t image) {
        Preview.PrintPicture(ImageFolder + "/" + std::to_string(int64_t{image} + 1) + ".bmp",
                             Preview.CurrentX() + 2.0 * tx, Preview.CurrentY() + double(ty),
                             report::PictureFallback{ImageList.Name(), image});
    };

    const int32_t m = Grid.Rows();
    for (int32_t r = 1; r <= m; ++r) {
        if (Grid.RowVisible(r)) {
            Preview.CurrentX(x0);
            for (int32_t c = 1; c <= Grid.Columns(); ++c) {
                if (!Grid.ColumnVisible(c)) continue;
                const int32_t left = Preview.CurrentX();
                Preview.CurrentY(y);
                const int32_t w = Grid.ColumnWidth(c);
                const double right = left + static_cast<double>(tx) * w;
                const double bottom = y + static_cast<double>(ty) * Grid.RowHeight(r);
                Preview.Box(left, y, right, bottom, report::kWhite, report::BoxStyle::Filled);
                Preview.Box(left, y, right, bottom, report::kBlack, report::BoxStyle::Frame);
                Preview.CurrentX(left + static_cast<double>(tx) * Grid.CellIndent(r, c));
                Preview.CurrentY(y);
                for (const int32_t image : {Grid.CellExtraIcon(r, c), Grid.CellIcon(r, c)}) {
                    if (image < 0) continue;
                    picture(image);
                    Preview.CurrentX(Preview.CurrentX() +
                                     static_cast<double>(tx) * ImageList.IconWidth());
                    Preview.CurrentY(y);
                }
                if (const auto text = Grid.CellText(r, c)) {
                    Preview.CurrentX(Preview.CurrentX() + 3.0 * tx);
                    PrintWrappedText(
                        Preview, *text,
                        report::roundHalfEven(tx * double(w) - (Preview.CurrentX() - left)), 0,
                        c == 1 ? 0 : 2);
                    Preview.CurrentY(y);
                }
                Preview.CurrentX(right);
            }
            y = report::roundHalfEven(ty * double(Grid.RowHeight(r)) + Preview.CurrentY());
        }
        // Rows hidden or not: the test uses the position the last shown row
        // left, and the last row of the grid always closes the page.
        if (Preview.CurrentY() + ty * 3.0 * Grid.RowHeight(r) > Preview.PageHeight() || r == m) {
            printFooter(Preview, Preview.TextHeight("Hi"));
            if (r < m) {
                Preview.NewPage();
                Preview.ForeColor(report::kBlack);
                y = Preview.CurrentY();
            } else {
                Preview.CurrentY(y);
                Preview.ForeColor(report::kBlack);
            }
        }
    }
    Preview.CurrentY(y);
    Preview.CurrentX(x0);
}

}  // namespace wizard::MFunctions
