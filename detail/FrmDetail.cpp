#include "detail/FrmDetail.h"

#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QPalette>
#include <QShowEvent>

#include "detail/DetailReport.h"
#include "resizer/QResizerWidget.h"
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

QRect pixels(const layout::Rect& r) { return ui::twipsRect(r.left, r.top, r.width, r.height); }

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
    QFont font(QString::fromLatin1(layout::kFontName));
    font.setPointSizeF(layout::kFontSize);
    setFont(font);

    CmdExpand = named(new ui::ToolButton(u"Expand All"_s, this), "CmdExpand");
    CmdExpand->setToolTip(u"Expand all nodes in grid..."_s);
    CmdExpand->Picture(ui::glyphIcon(ui::Glyph::ExpandAll));
    CmdCollapse = named(new ui::ToolButton(u"Collapse All"_s, this), "CmdCollapse");
    CmdCollapse->setToolTip(u"Collapse all nodes in grid..."_s);
    CmdCollapse->Picture(ui::glyphIcon(ui::Glyph::CollapseAll));
    CmdPrint = named(new ui::ToolButton(u"Print"_s, this), "CmdPrint");
    CmdPrint->setToolTip(u"Print comparison details..."_s);
    CmdPrint->Picture(ui::glyphIcon(ui::Glyph::Print));
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
    DGrid->KeyDown.connect([this](int& code, int shift) { DGrid_KeyDown(code, shift); });

    // Every control at its designed place: the resizer takes these places,
    // at the design size, as the ones it scales from.
    for (const layout::Place& p : layout::kDesign)
        if (QWidget* control =
                findChild<QWidget*>(QString::fromUtf8(p.control), Qt::FindDirectChildrenOnly)) {
            control->setGeometry(pixels(layout::placeIn(mode_, p)));
            control->setVisible(layout::shownIn(mode_, p));
        }
    resize(ui::twipsToPixels(layout::kClientWidth), ui::twipsToPixels(layout::kClientHeight));

    // The resizer's settings are the window's saved ones: given before it is
    // sited, they are read as such, and nothing is enforced before the
    // window is first shown.
    QResizer1 = new resizer::QResizerWidget();
    const layout::ResizerSettings& r = layout::kResizer;
    QResizer1->setMinFormHeight(r.MinFormHeight);
    QResizer1->setMinFormWidth(r.MinFormWidth);
    QResizer1->setMaxFormHeight(r.MaxFormHeight);
    QResizer1->setMaxFormWidth(r.MaxFormWidth);
    QResizer1->setFirstHeight(r.FirstHeight);
    QResizer1->setFirstWidth(r.FirstWidth);
    QResizer1->setResizeFont(r.ResizeFont);
    QResizer1->setEnabled(r.Enabled);
    QResizer1->setWorkAtDesignTime(r.WorkAtDesignTime);
    QResizer1->setSmartDetect(r.SmartDetect);
    connect(
        QResizer1, &resizer::QResizerWidget::BeforeResizeControl, this,
        [this](QWidget*& control, float& left, float& top, float& height, float& width,
               float& fontSize, bool&) { placeGrid(control, left, top, height, width, fontSize); },
        Qt::DirectConnection);
    QResizer1->setParent(this);

    Form_Load();
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
        switchLayout();
    }
}

// --- commands

void FrmDetail::CmdClose_Click() { close(); }

void FrmDetail::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) DGrid->setFocus(Qt::OtherFocusReason);
}

void FrmDetail::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CmdClose_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

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
    view_.MouseDown(Button, Shift, x, y, DGrid->scroll());
}

void FrmDetail::DGrid_KeyDown(int& KeyCode, int Shift) { view_.KeyDown(KeyCode, Shift); }

// --- layout

void FrmDetail::switchLayout() {
    for (const layout::Place& p : layout::kDesign)
        if (QWidget* control =
                findChild<QWidget*>(QString::fromUtf8(p.control), Qt::FindDirectChildrenOnly))
            control->setVisible(layout::shownIn(mode_, p));
    // Before the window is first shown the resizer has taken nothing yet: the
    // grid goes to its designed place, from which it is scaled.
    if (!QResizer1->control().initialised()) {
        DGrid->setGeometry(pixels(layout::placeIn(mode_, layout::designOf("DGrid"))));
        return;
    }
    // The resizer takes the window as it stands and lays it out at once; the
    // grid gets the new layout's place in that pass (placeGrid).
    QResizer1->ContainerResized();
}

void FrmDetail::placeGrid(QWidget*& control, float& left, float& top, float& height, float& width,
                          float& fontSize) {
    if (control != DGrid) return;
    // The grid's place in either layout is always scaled from the design,
    // never re-based where an earlier layout left it at another size: such a
    // base comes back a pixel off, and its font, scaled for that size's
    // proportions, shrinks with every switch made at other proportions. The
    // arithmetic is the resizer's own, so the grid stays flush with the
    // controls the resizer places.
    const resizer::QResizer& r = QResizer1->control();
    auto ratio = [](std::int32_t now, std::int32_t first) {
        return first == 0
                   ? 1.0
                   : static_cast<double>(static_cast<float>(now)) / static_cast<float>(first);
    };
    const double rw = ratio(r.currentClientWidth(), r.FirstWidth());
    const double rh = ratio(r.currentClientHeight(), r.FirstHeight());
    const QRect design = pixels(layout::placeIn(mode_, layout::designOf("DGrid")));
    auto scaled = [](int px, double by) {
        return static_cast<float>(static_cast<float>(ui::pixelsToTwips(px)) * by);
    };
    left = scaled(design.x(), rw);
    top = scaled(design.y(), rh);
    width = scaled(design.width(), rw);
    height = scaled(design.height(), rh);
    const bool widthLarger = static_cast<float>(rw) > static_cast<float>(rh);
    fontSize = static_cast<float>(static_cast<float>(layout::kFontSize) * (widthLarger ? rh : rw));
}

}  // namespace detail
