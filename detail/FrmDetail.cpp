#include "detail/FrmDetail.h"

#include <QCoreApplication>
#include <QFont>
#include <QPalette>
#include <QResizeEvent>
#include <QScrollBar>

#include "detail/DetailReport.h"
#include "ui/Label.h"
#include "ui/LineHeader.h"
#include "ui/MultiLineTextBox.h"
#include "ui/PictureBox.h"
#include "ui/Services.h"
#include "ui/ToolButton.h"
#include "ui/TreeGrid.h"
#include "ui/Twips.h"
#include "ui/images/ImageList.h"

using namespace Qt::StringLiterals;

namespace detail {

namespace {

QString fromUtf8(const std::string& s) { return QString::fromStdString(s); }

template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

FrmDetail::FrmDetail(const WizardOptions& options, ui::Services& services, QWidget* parent)
    : QWidget(parent),
      DGrid(named(new ui::TreeGrid(this), "DGrid")),
      DGridImg(&ui::detailGridImages()),
      FrmImg(&ui::detailWindowIcons()),
      ReportImageFolder(QCoreApplication::applicationDirPath() + u"/Detail Images"_s),
      services_(services),
      view_(DGrid->grid(), options) {
    setObjectName(u"FrmDetail"_s);
    setWindowTitle(u"Details"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font(u"Verdana"_s);
    font.setPointSizeF(8.25);
    setFont(font);

    CmdExpand = named(new ui::ToolButton(u"Expand All"_s, this), "CmdExpand");
    CmdExpand->setToolTip(u"Expand all nodes in grid..."_s);
    CmdExpand->setIcon(ui::glyphIcon(ui::Glyph::ExpandAll));
    CmdCollapse = named(new ui::ToolButton(u"Collapse All"_s, this), "CmdCollapse");
    CmdCollapse->setToolTip(u"Collapse all nodes in grid..."_s);
    CmdCollapse->setIcon(ui::glyphIcon(ui::Glyph::CollapseAll));
    CmdPrint = named(new ui::ToolButton(u"Print"_s, this), "CmdPrint");
    CmdPrint->setToolTip(u"Print comparison details..."_s);
    CmdPrint->setIcon(ui::glyphIcon(ui::Glyph::Print));
    CmdHdr = named(new ui::LineHeader(u"Command Text"_s, this), "CmdHdr");
    Label2 = named(new ui::Label(u"Source"_s, this), "Label2");
    Label3 = named(new ui::Label(u"Destination"_s, this), "Label3");
    SCmdTxt = named(new ui::MultiLineTextBox(this), "SCmdTxt");
    DCmdTxt = named(new ui::MultiLineTextBox(this), "DCmdTxt");
    // The window shows the texts; it never changes them.
    SCmdTxt->setReadOnly(true);
    DCmdTxt->setReadOnly(true);
    PAction = named(new ui::PictureBox(this), "PAction");
    PAction->BorderStyle(false);
    CmdClose = named(new ui::ToolButton(u"Close"_s, this), "CmdClose");

    // The grid's selected row in the info colours, its text in the buttons'.
    QPalette palette = DGrid->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, palette.color(group, QPalette::ToolTipBase));
        palette.setColor(group, QPalette::HighlightedText,
                         palette.color(group, QPalette::ButtonText));
    }
    DGrid->setPalette(palette);

    setTabOrder(CmdExpand, CmdCollapse);
    setTabOrder(CmdCollapse, CmdPrint);
    setTabOrder(CmdPrint, DGrid);
    setTabOrder(DGrid, SCmdTxt);
    setTabOrder(SCmdTxt, DCmdTxt);
    setTabOrder(DCmdTxt, CmdClose);

    CmdExpand->Click.connect([this] { CmdExpand_Click(); });
    CmdCollapse->Click.connect([this] { CmdCollapse_Click(); });
    CmdPrint->Click.connect([this] { CmdPrint_Click(); });
    CmdClose->Click.connect([this] { CmdClose_Click(); });
    DGrid->DblClick.connect([this](int32_t row, int32_t column) { DGrid_DblClick(row, column); });
    DGrid->MouseDown.connect(
        [this](int button, int shift, float x, float y) { DGrid_MouseDown(button, shift, x, y); });

    const layout::ResizerSettings& r = layout::kResizer;
    setMinimumSize(ui::twipsToPixels(r.FirstWidth), ui::twipsToPixels(r.FirstHeight));
    resize(minimumSize());
    Form_Load();
    placeControls();
}

FrmDetail::~FrmDetail() = default;

void FrmDetail::Form_Load() {
    view_.tree().SetUp();
    DGrid->setFrameShape(QFrame::StyledPanel);
    DGrid->ImageList(DGridImg);
    DGrid->grid().Redraw(true);
}

void FrmDetail::Differences(const engine::TComparisonResult& result) { view_.Differences(result); }

void FrmDetail::ShowDetails(int32_t DType, int32_t Index) {
    const auto head = view_.ShowDetails(DType, Index);
    if (!head) return;
    setWindowTitle(fromUtf8(head->caption));
    setWindowIcon(FrmImg->icon(head->windowIcon));
    // A table keeps the command-text area as it was, hidden under its layout.
    if (head->mode == layout::Mode::Text) {
        SCmdTxt->Text(fromUtf8(head->sourceText));
        DCmdTxt->Text(fromUtf8(head->destinationText));
        PAction->Picture(DGridImg->pixmap(head->actionPicture, devicePixelRatioF()));
    }
    if (mode_ != head->mode) {
        mode_ = head->mode;
        placeControls();
    }
}

// --- commands

void FrmDetail::CmdClose_Click() { close(); }

void FrmDetail::CmdExpand_Click() { view_.tree().ExpandAll(); }

void FrmDetail::CmdCollapse_Click() { view_.tree().CollapseAll(); }

void FrmDetail::CmdPrint_Click() {
    if (!Preview) return;
    DetailReportSource shown;
    shown.caption = windowTitle().toStdString();
    shown.kind = view_.DetailKind();
    shown.action = view_.shownAction();
    shown.sourceText = SCmdTxt->Text().toStdString();
    shown.destinationText = DCmdTxt->Text().toStdString();
    PrintDetailReport(*Preview, DGrid->grid(), ReportImageFolder.toStdString(), shown);
    services_.ShowPreview(*Preview, &ui::programImages());
}

void FrmDetail::DGrid_DblClick(int32_t Row, int32_t Col) { view_.DblClick(Row, Col); }

void FrmDetail::DGrid_MouseDown(int Button, int Shift, float x, float y) {
    view_.MouseDown(Button, Shift, x, y,
                    {DGrid->horizontalScrollBar()->value(), DGrid->verticalScrollBar()->value()});
}

// --- layout

void FrmDetail::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

void FrmDetail::placeControls() {
    const double sx = static_cast<double>(width()) / ui::twipsToPixels(layout::kResizer.FirstWidth);
    const double sy =
        static_cast<double>(height()) / ui::twipsToPixels(layout::kResizer.FirstHeight);
    // Edges are scaled, not sizes, so that controls designed edge to edge stay so.
    auto x = [sx](int twips) { return qRound(ui::twipsToPixels(twips) * sx); };
    auto y = [sy](int twips) { return qRound(ui::twipsToPixels(twips) * sy); };
    for (const layout::Place& p : layout::kDesign) {
        auto* control =
            findChild<QWidget*>(QString::fromUtf8(p.control), Qt::FindDirectChildrenOnly);
        if (!control) continue;
        const layout::Rect r = layout::placeIn(mode_, p);
        control->setGeometry(
            QRect(QPoint(x(r.left), y(r.top)), QPoint(x(r.right()) - 1, y(r.bottom()) - 1)));
        control->setVisible(layout::shownIn(mode_, p));
    }
}

}  // namespace detail
