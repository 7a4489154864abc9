#pragma once
// A report laid out page by page, as the programs' print preview keeps it: a
// current print position that line printing moves down, text in a font and a
// colour, boxes, pictures from files, page breaks and page numbers. Positions
// and sizes are in twips (1/1440 inch) from the top left of the printable area
// of the page. The document only records what is drawn where; the Qt side
// (ui/ReportRenderer.h) shows, prints and writes it as PDF.
//
// Members keep the names the programs call them by; a property is a pair of
// overloads, the getter without an argument and the setter with one.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace report {

// Twips to one screen pixel, horizontally and vertically: sizes the programs
// keep in pixels (grid columns, icons) are printed at this scale.
inline constexpr int32_t kTwipsPerPixel = 15;

// Colours as the programs write them, &HBBGGRR; a value with the top bit set
// names a system colour by its index (&H8000000F is the button face).
using Colour = uint32_t;
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kGrey = 0xB0B0B0;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kButtonFace = 0x8000000F;
[[nodiscard]] constexpr bool isSystemColour(Colour c) { return (c & 0x80000000u) != 0; }

struct Font {
    std::string name = "Verdana";
    double size = 8.25;  // points
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

// Measures texts in twips in a font; the real program measures with Qt
// (ui/ReportRenderer.h), tests with fixed widths (report/testing).
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    [[nodiscard]] virtual double width(std::string_view utf8, const Font& font) const = 0;
    // The height of one line of the text (the same for every text of a font).
    [[nodiscard]] virtual double height(std::string_view utf8, const Font& font) const = 0;
    // The widths of the first 1, 2, … n characters (code points) of the text,
    // in order. Measured one by one here; a metrics may do it in one pass.
    [[nodiscard]] virtual std::vector<double> prefixWidths(std::string_view utf8,
                                                           const Font& font) const;
};

enum class Orientation : int32_t { Portrait = 1, Landscape = 2 };

// A sheet of paper, its sizes in twips as it stands in portrait. `code` is the
// printer's number for it (9 A4, 1 Letter, …; 0 for any other size).
struct Paper {
    int32_t code = 9;
    int32_t width = 11906;
    int32_t height = 16838;
    [[nodiscard]] static Paper A4() { return {}; }
    [[nodiscard]] static Paper Letter() { return {1, 12240, 15840}; }
    friend bool operator==(const Paper&, const Paper&) = default;
};

struct Margins {
    int32_t left = 720, top = 720, right = 720, bottom = 720;  // twips
    friend bool operator==(const Margins&, const Margins&) = default;
};

struct PageFormat {
    report::Paper paper;
    report::Orientation orientation = Orientation::Portrait;
    report::Margins margins;
    // The printable area: the oriented sheet less its margins (never below 0).
    [[nodiscard]] int32_t printableWidth() const;
    [[nodiscard]] int32_t printableHeight() const;
    friend bool operator==(const PageFormat&, const PageFormat&) = default;
};

enum class BoxStyle : int32_t { Frame = 1, Filled = 2 };

// A line of text; (x, y) is the top left of the line.
struct TextItem {
    double x = 0, y = 0;
    std::string text;
    report::Font font;
    Colour colour = kBlack;
    friend bool operator==(const TextItem&, const TextItem&) = default;
};

struct BoxItem {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Colour colour = kBlack;
    BoxStyle style = BoxStyle::Frame;
    friend bool operator==(const BoxItem&, const BoxItem&) = default;
};

// Where a picture comes from when its file cannot be read: picture `index`
// (from 0) of the image list named `list` ("MGridImg").
struct PictureFallback {
    std::string list;
    int32_t index = 0;
    friend bool operator==(const PictureFallback&, const PictureFallback&) = default;
};

// A picture file drawn with its top left at (x, y), one pixel to a screen
// pixel's twips.
struct PictureItem {
    std::string file;
    double x = 0, y = 0;
    std::optional<PictureFallback> fallback;
    friend bool operator==(const PictureItem&, const PictureItem&) = default;
};

using Item = std::variant<TextItem, BoxItem, PictureItem>;

struct Page {
    std::vector<Item> items;
};

// Rounds to the nearest whole number, halves to the even neighbour, within
// the 32-bit range (beyond it, the nearest end of the range).
[[nodiscard]] int32_t roundHalfEven(double value);

class Document {
public:
    // `metrics` must outlive the document (and its copies).
    explicit Document(const TextMetrics& metrics);

    // Starts an empty report: one empty page, the position at its top left, no
    // title, black. The font and the page format stay as they were set.
    void NewDocument();

    [[nodiscard]] const std::string& DocumentTitle() const { return title_; }
    void DocumentTitle(std::string title) { title_ = std::move(title); }

    [[nodiscard]] const report::Font& Font() const { return font_; }
    void Font(report::Font font) { font_ = std::move(font); }
    [[nodiscard]] bool FontBold() const { return font_.bold; }
    void FontBold(bool bold) { font_.bold = bold; }

    // The colour of the text printed next.
    [[nodiscard]] Colour ForeColor() const { return foreColor_; }
    void ForeColor(Colour colour) { foreColor_ = colour; }

    // The print position. Read back as whole twips (rounded, halves to even);
    // set to any value, also a fraction, which the next line is printed at.
    [[nodiscard]] int32_t CurrentX() const { return roundHalfEven(x_); }
    void CurrentX(double x) { x_ = x; }
    [[nodiscard]] int32_t CurrentY() const { return roundHalfEven(y_); }
    void CurrentY(double y) { y_ = y; }

    // Prints one line at the current y: alignment 0 at the left edge of the
    // page, 1 against its right edge, 2 centred on it (any other value as 0).
    // Then, as PrintLine, moves below it.
    void PrintAligned(std::string_view text, int32_t alignment);
    // Prints one line at the current position, then moves to the start of the
    // next line: x to 0, y down by the height of the text. A line that would
    // reach below the page is printed at the top of a new page instead.
    void PrintLine(std::string_view text);

    // A box from corner (x1, y1) to corner (x2, y2), framed or filled.
    void Box(double x1, double y1, double x2, double y2, Colour colour, BoxStyle style);
    // The picture in `file` with its top left at (x, y); when the file cannot
    // be read, `fallback` is drawn in its place (and nothing without one).
    void PrintPicture(std::string file, double x, double y,
                      std::optional<PictureFallback> fallback = std::nullopt);

    // Ends the page: the next output goes to the top left of a new one.
    void NewPage();
    // The number of the page being printed, from 1.
    [[nodiscard]] int32_t CurrentPage() const { return static_cast<int32_t>(pages_.size()); }

    // The printable area of a page.
    [[nodiscard]] int32_t PageWidth() const { return format_.printableWidth(); }
    [[nodiscard]] int32_t PageHeight() const { return format_.printableHeight(); }

    [[nodiscard]] double TextWidth(std::string_view text) const;
    [[nodiscard]] double TextHeight(std::string_view text) const;
    // TextWidth of the first 1, 2, … n characters of the text.
    [[nodiscard]] std::vector<double> TextWidths(std::string_view text) const;

    // Paper, orientation and margins, for every page of the document.
    [[nodiscard]] const report::PageFormat& PageFormat() const { return format_; }
    void PageFormat(const report::PageFormat& format) { format_ = format; }
    [[nodiscard]] report::Orientation Orientation() const { return format_.orientation; }
    void Orientation(report::Orientation orientation) { format_.orientation = orientation; }
    [[nodiscard]] const report::Paper& Paper() const { return format_.paper; }
    void Paper(const report::Paper& paper) { format_.paper = paper; }

    // What was drawn, page by page (never empty).
    [[nodiscard]] const std::vector<Page>& pages() const { return pages_; }
    // The same as lines of text, for tests and failure messages: a "page N"
    // line before every page but the first, then one line per item.
    [[nodiscard]] std::vector<std::string> describe() const;

private:
    const TextMetrics* metrics_;
    std::string title_;
    report::Font font_;
    Colour foreColor_ = kBlack;
    double x_ = 0;
    double y_ = 0;
    report::PageFormat format_;
    std::vector<Page> pages_;
};

// One item as a line: `text 120,0 "Page 1" #B0B0B0 bold`,
// `box 0,0-100,50 fill #FFFFFF`, `picture "a/3.bmp" 30,15 or MGridImg#2`.
// Colours other than black, and bold, are named; numbers lose trailing zeros.
[[nodiscard]] std::string describe(const Item& item);

}  // namespace report
