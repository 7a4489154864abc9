#pragma once
// The difference detail window: one table, procedure or view of the
// comparison result side by side, as a tree of columns, keys and indexes or
// of parameters, with the two command texts of a procedure or view. It reads
// its own copy of the result and changes nothing.
//
// The wizard makes one window, sets Differences and Preview, calls
// ShowDetails and shows it; a later request on the open window replaces what
// it shows. Close deletes the window (and its copy) — hold it by QPointer.
#include <QString>
#include <QWidget>
#include <cstdint>

#include "detail/DetailLayout.h"
#include "detail/DetailView.h"
#include "detail/WizardOptions.h"
#include "engine/ComparisonResult.h"
#include "report/Document.h"

namespace resizer {
class QResizerWidget;
}
namespace ui {
class ImageList;
class Label;
class LineHeader;
class MultiLineTextBox;
class PictureBox;
class Services;
class ToolButton;
class TreeGrid;
}  // namespace ui

namespace detail {

class FrmDetail : public QWidget {
public:
    // `options` (the wizard's check boxes) and `services` must outlive the window.
    FrmDetail(const WizardOptions& options, ui::Services& services, QWidget* parent = nullptr);
    ~FrmDetail() override;

    // The form's controls, named as their objectName.
    ui::TreeGrid* DGrid;
    ui::MultiLineTextBox* SCmdTxt;
    ui::MultiLineTextBox* DCmdTxt;
    ui::Label* Label2;
    ui::Label* Label3;
    ui::PictureBox* PAction;
    ui::LineHeader* CmdHdr;
    ui::ToolButton* CmdExpand;
    ui::ToolButton* CmdCollapse;
    ui::ToolButton* CmdPrint;
    ui::ToolButton* CmdClose;
    // Keeps every control, and its font, in proportion to the window, and the
    // window no smaller than its minimum.
    resizer::QResizerWidget* QResizer1;
    // The grid's icons and the window's icon per kind.
    const ui::ImageList* DGridImg;
    const ui::ImageList* FrmImg;

    // The wizard's print preview, lent for the report (never owned); Print
    // does nothing while none is lent.
    report::Document* Preview = nullptr;
    // Where the report's numbered bitmaps are: "Detail Images" beside the program.
    QString ReportImageFolder;

    // Replaces the window's copy of the result.
    void Differences(const engine::TComparisonResult& result);
    // Shows element `Index` (from 1) of a kind: 0 table, 4 procedure, 5 view.
    // Another kind empties the tree and leaves the rest; an index outside the
    // kind's array empties the tree and changes nothing else.
    void ShowDetails(int32_t DType, int32_t Index);
    [[nodiscard]] int32_t DetailKind() const { return view_.DetailKind(); }
    [[nodiscard]] int32_t DetailIndex() const { return view_.DetailIndex(); }
    [[nodiscard]] layout::Mode layoutMode() const { return mode_; }
    [[nodiscard]] DetailView& view() { return view_; }

    void CmdClose_Click();
    void CmdExpand_Click();
    void CmdCollapse_Click();
    void CmdPrint_Click();
    void DGrid_DblClick(int32_t Row, int32_t Col);
    void DGrid_MouseDown(int Button, int Shift, float x, float y);
    void DGrid_KeyDown(int& KeyCode, int Shift);

protected:
    // Escape closes the window, as its Close button does.
    void keyPressEvent(QKeyEvent* event) override;
    // The window opens with the focus in its grid, where the keys open and
    // close the nodes.
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    // Shows the controls of the present layout and has the resizer lay the
    // window out for it at the present size.
    void switchLayout();
    // The resizer's proposal for the grid, replaced by its place in the
    // present layout scaled from the design.
    void placeGrid(QWidget*& control, float& left, float& top, float& height, float& width,
                   float& fontSize);

    ui::Services& services_;
    DetailView view_;
    layout::Mode mode_ = layout::Mode::Text;
};

}  // namespace detail
