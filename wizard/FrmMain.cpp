#include "wizard/FrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QResizeEvent>
#include <QStyle>
#include <QToolButton>

#include "anchor/QAnchorWidget.h"
#include "detail/FrmDetail.h"
#include "host/qt/Modal.h"
#include "jet/Connection.h"
#include "ui/ButtonStrip.h"
#include "ui/CheckBox.h"
#include "ui/FileFilters.h"
#include "ui/Frame.h"
#include "ui/Label.h"
#include "ui/LineHeader.h"
#include "ui/MenuItem.h"
#include "ui/MultiLineTextBox.h"
#include "ui/PictureBox.h"
#include "ui/PopupMenu.h"
#include "ui/ProgressBar.h"
#include "ui/StatusBar.h"
#include "ui/TextBox.h"
#include "ui/ToolButton.h"
#include "ui/Toolbar.h"
#include "ui/TreeGrid.h"
#include "ui/Twips.h"
#include "ui/WindowOwner.h"
#include "ui/images/ImageList.h"
#include "wizard/CompareLogReport.h"
#include "wizard/DataAccessCheck.h"
#include "wizard/FrmMainDesign.h"
#include "wizard/FrmScript.h"
#include "wizard_core/MFunctions.h"
#include "wizard/QtResultsControls.h"
#include "wizard/ResultsTree.h"
#include "wizard/SaveDialog.h"
#include "wizard/WizardArt.h"
#include "wizard/WizardTexts.h"
#include "wizard/frmAbout.h"

using namespace Qt::StringLiterals;

namespace wizard {

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string utf8(const QString& s) { return s.toStdString(); }

// A control's place in twips, in its parent's inside.
void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(ui::twipsRect(left, top, width, height));
}

template <typename W>
W* named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

// The status bar's height in twips; it always spans the window's bottom edge.
constexpr int kStatusBarHeight = 330;

}  // namespace

FrmMain::FrmMain(ProgramContext& context, QWidget* parent)
    : QWidget(parent), context_(context), lastUsedPath_(context.settingsFile) {
    setObjectName(u"FrmMain"_s);
    setWindowTitle(qs(kWindowCaption));
    setWindowIcon(QIcon(wizardPicture(32)));
    QFont font(u"Verdana"_s);
    font.setPointSizeF(8.25);
    setFont(font);
    resize(ui::twipsToPixels(design::kClientWidth), ui::twipsToPixels(design::kClientHeight));

    buildTop();
    for (int n = 0; n < kPageCount; ++n) {
        auto* page = named(new ui::PictureBox(this), u"Page_%1"_s.arg(n));
        page->setProperty("Index", n);
        page->setProperty("container", true);
        // Every page is designed in the place ShowPage gives it.
        place(page, 1950, 1440, 9450, 5400);
        page->hide();
        Page[static_cast<size_t>(n)] = page;
    }
    LabelWelcome = named(new ui::Label(qs(kWelcomeText), Page[0]), u"LabelWelcome"_s);
    LabelWelcome->setWordWrap(true);
    LabelWelcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The label reaches the page's right edge; its text keeps the margin on
    // that side that the label keeps on the left.
    LabelWelcome->setContentsMargins(0, 0, ui::twipsToPixels(100), 0);
    buildDatabasesPage();
    buildOptionsPage();
    buildComparePage();
    buildResultsPage();
    buildBottom();

    Anchor = named(new anchor::QAnchorWidget(this), u"Anchor"_s);
    Anchor->setAnchor(QString::fromStdString(design::AnchorList()));
    Anchor->setMinFormHeight(design::kMinFormHeight);
    Anchor->setMinFormWidth(design::kMinFormWidth);
    Anchor->setFirstHeight(ui::twipsToPixels(design::kClientHeight));
    Anchor->setFirstWidth(ui::twipsToPixels(design::kClientWidth));

    connectHandlers();
    Form_Load();
}

FrmMain::~FrmMain() {
    if (session_) session_->Shutdown();
    // It reads this window's option boxes.
    delete detail_.data();
    delete script_.data();
}

void FrmMain::buildTop() {
    PTop = named(new ui::PictureBox(this), u"PTop"_s);
    PTop->setProperty("container", true);
    PTop->setAutoFillBackground(true);
    PTop->setBackgroundRole(QPalette::Base);
    place(PTop, 0, 0, 11400, 1080);
    CLabel1 = named(new ui::Label({}, PTop), u"CLabel1"_s);
    QFont bold = font();
    bold.setBold(true);
    CLabel1->setFont(bold);
    place(CLabel1, 240, 120, 10140, 270);
    CLabel2 = named(new ui::Label({}, PTop), u"CLabel2"_s);
    CLabel2->setWordWrap(true);
    CLabel2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(CLabel2, 480, 420, 9900, 630);
    WizardImage = named(new ui::PictureBox(PTop), u"WizardImage"_s);
    WizardImage->Picture(wizardPicture(48, devicePixelRatioF()));
    place(WizardImage, 10560, 180, 720, 720);

    Bar = named(new ui::ButtonStrip(u"Navigation"_s, this), u"Bar"_s);
    place(Bar, 0, 1080, 1950, 4980);
    const auto icon = [this](QStyle::StandardPixmap p) { return style()->standardIcon(p); };
    Bar->AddButton(u"Welcome"_s, u"Welcome Page"_s, icon(QStyle::SP_MessageBoxInformation));
    Bar->AddButton(u"Databases"_s, u"Databases Page"_s, databaseIcon(32));
    Bar->AddButton(u"Options"_s, u"Options Page"_s, icon(QStyle::SP_FileDialogDetailedView));
    Bar->AddButton(u"Compare"_s, u"Compare Page"_s, icon(QStyle::SP_BrowserReload));
    Bar->AddButton(u"Results"_s, u"Results Page"_s, icon(QStyle::SP_FileDialogContentsView));

    HeaderTop = named(new ui::LineHeader({}, this), u"HeaderTop"_s);
    place(HeaderTop, 2070, 1140, 9210, 300);
}

void FrmMain::buildDatabasesPage() {
    QWidget* page = Page[1];
    const QIcon folder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    struct Side {
        ui::Frame*& frame;
        const char* frameName;
        const char* caption;
        int top;
        int height;
        ui::Label*& dbLabel;
        const char* dbLabelName;
        ui::TextBox*& db;
        const char* dbName;
        ui::ToolButton*& dbOpen;
        const char* dbOpenName;
        ui::Label*& wfLabel;
        const char* wfLabelName;
        ui::TextBox*& wf;
        const char* wfName;
        ui::ToolButton*& wfOpen;
        const char* wfOpenName;
        ui::Label*& userLabel;
        const char* userLabelName;
        ui::TextBox*& user;
        const char* userName;
        ui::Label*& passwordLabel;
        const char* passwordLabelName;
        ui::TextBox*& password;
        const char* passwordName;
    };
    const Side sides[] = {
        {SDBFrame,  "SDBFrame", "Source Database", 90,         2220,     SDBLabel, "SDBLabel",
         SDBPath,   "SDBPath",  SDBOpen,           "SDBOpen",  Label1,   "Label1", SWFPath,
         "SWFPath", SWFOpen,    "SWFOpen",         Label2,     "Label2", SUName,   "SUName",
         Label3,    "Label3",   SPassword,         "SPassword"},
        {DDBFRame,   "DDBFRame", "Destination Database",
         2430,       2850,       Label4,
         "Label4",   DDBPath,    "DDBPath",
         DDBOpen,    "DDBOpen",  Label5,
         "Label5",   DWFPath,    "DWFPath",
         DWFOpen,    "DWFOpen",  Label6,
         "Label6",   DUName,     "DUName",
         Label7,     "Label7",   DPassword,
         "DPassword"},
    };
    for (const Side& s : sides) {
        s.frame = named(new ui::Frame(QString::fromLatin1(s.caption), page),
                        QString::fromLatin1(s.frameName));
        place(s.frame, 120, s.top, 9210, s.height);
        const auto label = [&](ui::Label*& l, const char* name, const QString& caption, int top) {
            l = named(new ui::Label(caption, s.frame), QString::fromLatin1(name));
            place(l, 180, top + 45, 1560, 270);
        };
        const auto box = [&](ui::TextBox*& t, const char* name, int top, int width) {
            t = named(new ui::TextBox(s.frame), QString::fromLatin1(name));
            place(t, 1800, top, width, 330);
        };
        const auto open = [&](ui::ToolButton*& b, const char* name, const QString& tip, int top) {
            b = named(new ui::ToolButton({}, s.frame), QString::fromLatin1(name));
            b->setIcon(folder);
            b->setToolTip(tip);
            place(b, 8580, top - 30, 420, 390);
        };
        label(s.dbLabel, s.dbLabelName, u"Database File"_s, 360);
        box(s.db, s.dbName, 360, 6690);
        open(s.dbOpen, s.dbOpenName, u"Open database file..."_s, 360);
        label(s.wfLabel, s.wfLabelName, u"WorkGroup File"_s, 810);
        box(s.wf, s.wfName, 810, 6690);
        open(s.wfOpen, s.wfOpenName, u"Open workgroup file..."_s, 810);
        label(s.userLabel, s.userLabelName, u"User Name"_s, 1260);
        box(s.user, s.userName, 1260, 6690);
        label(s.passwordLabel, s.passwordLabelName, u"Password"_s, 1710);
        box(s.password, s.passwordName, 1710, 6690);
        s.password->PasswordChar(true);
    }
}

void FrmMain::buildOptionsPage() {
    QWidget* page = Page[2];
    const auto box = [&](ui::CheckBox*& c, const char* name, std::string_view caption,
                         QWidget* frame, int top, int height, bool wrap) {
        c = named(new ui::CheckBox(qs(caption), frame), QString::fromLatin1(name));
        c->WordWrap(wrap);
        place(c, 195, top, frame->width() * ui::kTwipsPerPixel - 390, height);
    };
    OFrame = named(new ui::Frame(u"Objects"_s, page), u"OFrame"_s);
    place(OFrame, 120, 90, 2700, 5190);
    int top = 390;
    for (auto [c, name, caption] :
         std::initializer_list<std::tuple<ui::CheckBox**, const char*, std::string_view>>{
             {&CTable, "CTable", kCaptionCTable},
             {&CIndex, "CIndex", kCaptionCIndex},
             {&CKey, "CKey", kCaptionCKey},
             {&CView, "CView", kCaptionCView},
             {&CProcedure, "CProcedure", kCaptionCProcedure},
             {&CUser, "CUser", kCaptionCUser},
             {&CGroup, "CGroup", kCaptionCGroup}}) {
        box(*c, name, caption, OFrame, top, 330, false);
        top += 510;
    }
    SFRame = named(new ui::Frame(u"Scripting"_s, page), u"SFRame"_s);
    place(SFRame, 2940, 90, 6390, 2310);
    box(DObject, "DObject", kCaptionDObject, SFRame, 360, 540, true);
    box(IIncSeed, "IIncSeed", kCaptionIIncSeed, SFRame, 990, 540, true);
    box(SAIncrement, "SAIncrement", kCaptionSAIncrement, SFRame, 1620, 540, true);
    CFrame = named(new ui::Frame(u"Comparison"_s, page), u"CFrame"_s);
    place(CFrame, 2940, 2520, 6390, 2760);
    box(CMatch, "CMatch", kCaptionCMatch, CFrame, 360, 540, true);
    box(CISeed, "CISeed", kCaptionCISeed, CFrame, 990, 540, true);
}

void FrmMain::buildComparePage() {
    QWidget* page = Page[3];
    CDescLabel = named(new ui::Label(qs(kCompareDescription), page), u"CDescLabel"_s);
    CDescLabel->setWordWrap(true);
    CDescLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(CDescLabel, 180, 120, 9090, 690);
    CmdCompare = named(new ui::ToolButton(u"Compare"_s, page), u"CmdCompare"_s);
    CmdCompare->Picture(style()->standardIcon(QStyle::SP_MediaPlay));
    place(CmdCompare, 3975, 900, 1500, 420);
    CmdPrint = named(new ui::ToolButton(u"Print"_s, page), u"CmdPrint"_s);
    CmdPrint->setToolTip(u"Print comparison details..."_s);
    CmdPrint->Picture(ui::glyphIcon(ui::Glyph::Print));
    place(CmdPrint, 7770, 900, 1500, 420);
    CompFrame = named(new ui::Frame(u"Current Process"_s, page), u"CompFrame"_s);
    place(CompFrame, 120, 1440, 9210, 1260);
    CompLabel = named(new ui::Label(u"Comparing : "_s, CompFrame), u"CompLabel"_s);
    place(CompLabel, 180, 435, 1260, 270);
    ProcessLabel = named(new ui::TextBox(CompFrame), u"ProcessLabel"_s);
    ProcessLabel->setReadOnly(true);
    place(ProcessLabel, 1500, 390, 7500, 330);
    PBar = named(new ui::ProgressBar(CompFrame), u"PBar"_s);
    place(PBar, 180, 840, 8820, 270);
    Label8 = named(new ui::Label(u"Details :"_s, page), u"Label8"_s);
    place(Label8, 180, 2820, 1800, 270);
    TxtDetail = named(new ui::MultiLineTextBox(page), u"TxtDetail"_s);
    TxtDetail->setReadOnly(true);
    TxtDetail->setLineWrapMode(QPlainTextEdit::NoWrap);
    place(TxtDetail, 120, 3120, 9210, 2160);
}

void FrmMain::buildResultsPage() {
    QWidget* page = Page[4];
    TBar = named(new ui::Toolbar(page), u"TBar"_s);
    place(TBar, 60, 30, 9330, 420);
    AddResultsButtons(*TBar);
    MGrid = named(new ui::TreeGrid(page), u"MGrid"_s);
    place(MGrid, 120, 480, 9210, 4800);
    MGridImg = &ui::mainGridImages();
    MenuPop = new ui::PopupMenu(qs(kMenuPopName), qs(kMenuPopCaption), this);
    AddMenuPopEntries(*MenuPop);
    VD = MenuEntry(*MenuPop, "VD");
    S1 = MenuEntry(*MenuPop, "S1");
    SFS = MenuEntry(*MenuPop, "SFS");
    UnSFS = MenuEntry(*MenuPop, "UnSFS");
}

void FrmMain::buildBottom() {
    HeaderBottom = named(new ui::LineHeader({}, this), u"HeaderBottom"_s);
    place(HeaderBottom, 120, 6840, 11160, 150);
    struct ButtonDesign {
        ui::ToolButton*& button;
        const char* name;
        const char* caption;
        const char* tip;
        int left;
    };
    const ButtonDesign buttons[] = {
        {CmdPrinterSetup, "CmdPrinterSetup", "Setup", nullptr, 120},
        {CmdSave, "CmdSave", "Save", "Saves your current compare configuration...", 1260},
        {CmdLoad, "CmdLoad", "Load", "Loads a previously saved configuration file...", 2400},
        {CmdHelp, "CmdHelp", "Help", "Opens the help file...", 3540},
        {CmdAbout, "CmdAbout", "About", "Information about Parabase...", 4680},
        {CmdBack, "CmdBack", "<< Back", "Returns to the previous step...", 7500},
        {CmdNext, "CmdNext", "Next >>", "Goes to next step...", 8760},
        {CmdExit, "CmdExit", "Exit", "Exits Parabase...", 10080},
    };
    for (const ButtonDesign& b : buttons) {
        b.button = named(new ui::ToolButton(QString::fromLatin1(b.caption), this),
                         QString::fromLatin1(b.name));
        if (b.tip) b.button->setToolTip(QString::fromLatin1(b.tip));
        place(b.button, b.left, 7050, b.left < 7000 ? 1080 : 1200, 390);
    }
    SBar = named(new ui::StatusBar(1, this), u"SBar"_s);
    SBar->setSizeGripEnabled(false);
    SBar->PanelText(1, qs(kNoConfigurationStatus));
    placeStatusBar();
}

void FrmMain::placeStatusBar() {
    // Held to the window's bottom edge over its whole width, whatever the
    // anchor control did with it.
    const int height = ui::twipsToPixels(kStatusBarHeight);
    SBar->setGeometry(0, this->height() - height, width(), height);
}

void FrmMain::connectHandlers() {
    const auto on = [this](ui::Event<>& event, void (FrmMain::*handler)()) {
        event.connect([this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    Bar->ButtonClick.connect([this](int n) { guarded([this, n] { Bar_ButtonClick(n); }); });
    on(CmdBack->Click, &FrmMain::CmdBack_Click);
    on(CmdNext->Click, &FrmMain::CmdNext_Click);
    on(CmdExit->Click, &FrmMain::CmdExit_Click);
    on(CmdHelp->Click, &FrmMain::CmdHelp_Click);
    on(CmdAbout->Click, &FrmMain::CmdAbout_Click);
    on(CmdPrinterSetup->Click, &FrmMain::CmdPrinterSetup_Click);
    on(CmdPrint->Click, &FrmMain::CmdPrint_Click);
    on(CmdLoad->Click, &FrmMain::CmdLoad_Click);
    on(CmdSave->Click, &FrmMain::CmdSave_Click);
    on(CmdCompare->Click, &FrmMain::CmdCompare_Click);
    on(SDBOpen->Click, &FrmMain::SDBOpen_Click);
    on(SWFOpen->Click, &FrmMain::SWFOpen_Click);
    on(DDBOpen->Click, &FrmMain::DDBOpen_Click);
    on(DWFOpen->Click, &FrmMain::DWFOpen_Click);
    for (ui::TextBox* t :
         {SDBPath, SWFPath, SUName, SPassword, DDBPath, DWFPath, DUName, DPassword})
        on(t->Change, &FrmMain::InvalidateResults);
    for (const OptionBox box : kOptionBoxes) {
        ui::CheckBox* c = checkBox(box);
        c->Click.connect([this, box, c] {
            guarded([this, box, c] {
                if (session_) session_->Options().SetValue(box, static_cast<int16_t>(c->Value()));
            });
        });
    }
}

void FrmMain::Form_Load() {
    Anchor->setEnabled(true);
    pages_.PageNumber(0);
    // The bar raises its click for button 1, which shows page 1.
    Bar->MarkCurrent(1);
    // The results grid's ten columns, its settings and its pictures.
    ResultsTree::SetUpGrid(MGrid->grid());
    SetUpResultsGrid(*MGrid);

    // The data-access layer is checked before the first engine needs it.
    const auto failure = context_.dataAccessVersion ? CheckDataAccess(context_.dataAccessVersion)
                                                    : CheckDataAccess();
    if (failure) {
        context_.services.MsgBox(qs(failure->text), ui::Buttons::OkOnly, ui::Icon::Critical,
                                 qs(failure->title));
        if (context_.endProgram)
            context_.endProgram();
        else
            QCoreApplication::quit();
        return;
    }
    session_ = std::make_unique<CompareSession>(static_cast<CompareView&>(*this),
                                                context_.makeEngine, context_.testConnection);
    OptionRules& options = session_->Options();
    options.OnValueChanged([this](OptionBox box, int16_t value) { checkBox(box)->Value(value); });
    for (const OptionBox box : kOptionBoxes) checkBox(box)->Value(options.Value(box));

    resultsControls_ = std::make_unique<QtResultsControls>(*TBar, *MGrid, *MenuPop);
    results_ = std::make_unique<ResultsTree>(MGrid->grid(), *resultsControls_,
                                             static_cast<ResultsView&>(*this), *session_);
    results_->Preview = &MyPreview();
    results_->ReportImageFolder = context_.programFolder + "/Main Images";
    ConnectResults(*results_, *TBar, *MGrid, *MenuPop);
}

// ---- pages ----

void FrmMain::Bar_ButtonClick(int button) {
    if (pages_.Bar_ButtonClick(button)) ShowPage();
}

void FrmMain::CmdBack_Click() {
    pages_.CmdBack_Click();
    ShowPage();
}

void FrmMain::CmdNext_Click() {
    pages_.CmdNext_Click();
    ShowPage();
}

void FrmMain::ShowPage() {
    for (ui::PictureBox* p : Page) p->hide();
    const int n = pages_.PageNumber();
    const auto texts = PageTexts(n);
    if (!texts) return;
    if (n == 5) FillResults();
    CLabel1->Caption(qs(texts->title));
    CLabel2->Caption(qs(texts->description));
    HeaderTop->Caption(qs(texts->header));

    ui::PictureBox* page = Page[static_cast<size_t>(n - 1)];
    const PagePlace at =
        PlacePage(ui::pixelsToTwips(Bar->width()), ui::pixelsToTwips(HeaderTop->y()),
                  ui::pixelsToTwips(HeaderTop->height()), ui::pixelsToTwips(width()),
                  ui::pixelsToTwips(HeaderBottom->y()));
    place(page, static_cast<int>(at.left), static_cast<int>(at.top), static_cast<int>(at.width),
          static_cast<int>(at.height));
    if (n >= 2) {
        Anchor->ContainerResized();
    } else {
        const PagePlace label = PlaceWelcome(page->ScaleWidth(), page->ScaleHeight());
        place(LabelWelcome, static_cast<int>(label.left), static_cast<int>(label.top),
              static_cast<int>(label.width), static_cast<int>(label.height));
    }
    CmdBack->Enabled(texts->back);
    CmdNext->Enabled(texts->next);
    page->show();
    Bar->MarkCurrent(n);
}

void FrmMain::FillResults() {
    // Filled from the engine's result and filtered (empty while a comparison runs).
    if (results_) results_->ShowResults();
}

// ---- bottom buttons ----

void FrmMain::CmdExit_Click() { endProgram(); }

void FrmMain::endProgram() {
    if (ending_) return;
    ending_ = true;
    if (session_) session_->Shutdown();
    if (detail_) detail_->close();
    if (script_) script_->close();
    close();
    if (context_.endProgram)
        context_.endProgram();
    else
        QCoreApplication::quit();
}

void FrmMain::CmdHelp_Click() {
    (void)MFunctions::ShellEx(desktopShell(context_), context_.programFolder + "/Parabase1.html",
                              10, "", "", "open", 0);
}

void FrmMain::CmdAbout_Click() {
    frmAbout box(context_, this);
    host::qt::runModal(box);
}

void FrmMain::CmdPrinterSetup_Click() {
    if (const auto chosen = context_.services.ShowPageSetup(MyPreview().PageFormat()))
        MyPreview().PageFormat(*chosen);
}

void FrmMain::CmdPrint_Click() {
    const QFont f = TxtDetail->font();
    PrintCompareLog(MyPreview(), utf8(TxtDetail->Text()),
                    report::Font{utf8(f.family()), f.pointSizeF(), f.bold()});
    context_.services.ShowPreview(MyPreview(), &ui::programImages());
}

// ---- database fields ----

DatabaseSettings FrmMain::Settings() const {
    return {{utf8(SDBPath->Text()), utf8(SWFPath->Text()), utf8(SUName->Text()),
             utf8(SPassword->Text())},
            {utf8(DDBPath->Text()), utf8(DWFPath->Text()), utf8(DUName->Text()),
             utf8(DPassword->Text())}};
}

void FrmMain::InvalidateResults() {
    if (session_) session_->InvalidateResults();
}

void FrmMain::openDatabaseFile(const QString& title, const QString& filter, ui::TextBox* field) {
    Dlg.title = title;
    Dlg.filter = filter;
    Dlg.flags = ui::dlg::HideReadOnly;
    Dlg.fileName.clear();
    ApplyLastUsedPath();
    if (const auto chosen = context_.services.ShowOpen(Dlg)) {
        Dlg.fileName = *chosen;
        field->Text(*chosen);
        SaveLastUsedPath();
    }
}

void FrmMain::SDBOpen_Click() {
    openDatabaseFile(u"Open database file..."_s, ui::databaseFilter(), SDBPath);
}

void FrmMain::DDBOpen_Click() {
    openDatabaseFile(u"Open database file..."_s, ui::databaseFilter(), DDBPath);
}

void FrmMain::SWFOpen_Click() {
    openDatabaseFile(u"Open workgroup file..."_s, ui::workgroupFilter(), SWFPath);
}

void FrmMain::DWFOpen_Click() {
    openDatabaseFile(u"Open workgroup file..."_s, ui::workgroupFilter(), DWFPath);
}

void FrmMain::ApplyLastUsedPath() { Dlg.initialFolder = qs(lastUsedPath_.ApplyLastUsedPath()); }

void FrmMain::SaveLastUsedPath() { lastUsedPath_.SaveLastUsedPath(utf8(Dlg.fileName)); }

// ---- configuration files ----

void FrmMain::CmdLoad_Click() {
    Dlg.title = u"Open configuration file..."_s;
    Dlg.filter = qs(kConfigurationFilter);
    Dlg.flags = ui::dlg::HideReadOnly;
    Dlg.fileName.clear();
    ApplyLastUsedPath();
    if (const auto chosen = context_.services.ShowOpen(Dlg)) {
        Dlg.fileName = *chosen;
        LoadConfiguration(utf8(*chosen));
        SaveLastUsedPath();
    }
}

void FrmMain::CmdSave_Click() {
    Dlg.title = u"Save configuration file..."_s;
    Dlg.filter = qs(kConfigurationFilter);
    Dlg.flags = ui::dlg::HideReadOnly;
    Dlg.fileName.clear();
    ApplyLastUsedPath();
    // A name typed without an extension gets ".pcf"; replacing a file is asked first.
    if (const auto chosen = ChooseFileToWrite(context_.services, Dlg, u".pcf"_s)) {
        Dlg.fileName = *chosen;
        SaveConfiguration(utf8(*chosen));
        SaveLastUsedPath();
    }
}

void FrmMain::SaveConfiguration(const std::string& FileName) {
    switch (wizard::SaveConfiguration(FileName, *this)) {
        case SaveOutcome::Saved:
            SBar->PanelText(1, qs(ConfigurationStatus(FileName)));
            return;
        case SaveOutcome::NotText:
            context_.services.MsgBox(qs(NotTextFileText(FileName)), ui::Buttons::OkOnly,
                                     ui::Icon::Critical, qs(kProgramTitle));
            return;
        case SaveOutcome::WriteFailed:
            context_.services.MsgBox(qs(ConfigurationNotSavedText(FileName)), ui::Buttons::OkOnly,
                                     ui::Icon::Critical, qs(kProgramTitle));
            return;
    }
}

void FrmMain::LoadConfiguration(const std::string& FileName) {
    const LoadResult result = wizard::LoadConfiguration(FileName, *this);
    if (LoadNamesTheFile(result.outcome)) SBar->PanelText(1, qs(ConfigurationStatus(FileName)));
}

ui::TextBox* FrmMain::field(DatabaseField f) const {
    switch (f) {
        case DatabaseField::SDBPath:
            return SDBPath;
        case DatabaseField::SWFPath:
            return SWFPath;
        case DatabaseField::SUName:
            return SUName;
        case DatabaseField::SPassword:
            return SPassword;
        case DatabaseField::DDBPath:
            return DDBPath;
        case DatabaseField::DWFPath:
            return DWFPath;
        case DatabaseField::DUName:
            return DUName;
        case DatabaseField::DPassword:
            return DPassword;
    }
    return SDBPath;
}

ui::CheckBox* FrmMain::checkBox(OptionBox box) const {
    switch (box) {
        case OptionBox::CMatch:
            return CMatch;
        case OptionBox::CISeed:
            return CISeed;
        case OptionBox::CTable:
            return CTable;
        case OptionBox::CGroup:
            return CGroup;
        case OptionBox::CUser:
            return CUser;
        case OptionBox::CView:
            return CView;
        case OptionBox::CProcedure:
            return CProcedure;
        case OptionBox::CKey:
            return CKey;
        case OptionBox::CIndex:
            return CIndex;
        case OptionBox::DObject:
            return DObject;
        case OptionBox::IIncSeed:
            return IIncSeed;
        case OptionBox::SAIncrement:
            return SAIncrement;
    }
    return CTable;
}

std::string FrmMain::FieldText(DatabaseField f) const { return utf8(field(f)->Text()); }

void FrmMain::FieldText(DatabaseField f, const std::string& text) { field(f)->Text(qs(text)); }

int16_t FrmMain::OptionValue(OptionBox box) const {
    if (session_) return session_->Options().Value(box);
    return static_cast<int16_t>(checkBox(box)->Value());
}

void FrmMain::OptionValue(OptionBox box, int16_t value) {
    // Without a session the program has ended at start-up: there are no options.
    if (session_) session_->Options().SetValue(box, value);
}

// ---- the compare run ----

void FrmMain::CmdCompare_Click() {
    if (!session_) return;
    session_->CmdCompare_Click(Settings());
    flushCompareView();
    // The results page stays empty while a comparison runs; one the user
    // opened meanwhile shows the result once the run is over (the page's own
    // button does nothing while it is shown).
    if (pages_.PageNumber() == 5 && !session_->Comparing()) FillResults();
}

void FrmMain::SetLog(const std::string& text) {
    pendingLog_.clear();
    TxtDetail->Text(qs(text));
    // A request starts: what it emptied shows at once, and stays on show
    // while the databases are opened (nothing yields until they are).
    flushCompareView();
    if (Page[3]->isVisible()) Page[3]->repaint();
}

void FrmMain::AppendLog(const std::string& text) { pendingLog_ += qs(text); }

void FrmMain::SetProcessLabel(const std::string& text) {
    // Laying a line edit's text out costs as much as comparing a table: while
    // a comparison runs only the text at the next yield is shown.
    pendingLabel_ = text;
    if (!session_ || !session_->Comparing()) flushCompareView();
}

void FrmMain::SetProgressMaximum(int32_t maximum) {
    pendingMaximum_ = maximum;
    // A value set alone (results dropped) shows at once; during a comparison
    // the next yield shows both.
    if (!session_ || !session_->Comparing()) flushCompareView();
}

void FrmMain::SetProgressValue(int32_t value) {
    pendingValue_ = value;
    if (!session_ || !session_->Comparing()) flushCompareView();
}

void FrmMain::SetCompareEnabled(bool enabled) {
    flushCompareView();
    CmdCompare->Enabled(enabled);
    // The yield before the comparison starts always repaints.
    if (!enabled) yieldNow_ = true;
}

void FrmMain::ResultsDropped() {
    if (results_) results_->Clear();
}

void FrmMain::MsgBox(const std::string& text, BoxIcon icon, const std::string& title) {
    flushCompareView();
    context_.services.MsgBox(qs(text), ui::Buttons::OkOnly, static_cast<ui::Icon>(icon), qs(title));
}

void FrmMain::DoEvents() {
    if (!yieldNow_ && sinceYield_.isValid() &&
        sinceYield_.elapsed() < context_.yieldInterval.count())
        return;
    yieldNow_ = false;
    flushCompareView();
    context_.services.DoEvents();
    sinceYield_.start();
}

void FrmMain::flushCompareView() {
    if (!pendingLog_.isEmpty()) {
        const QString added = std::exchange(pendingLog_, QString());
        TxtDetail->Text(TxtDetail->Text() + added);
    }
    if (pendingLabel_) ProcessLabel->Text(qs(*std::exchange(pendingLabel_, std::nullopt)));
    if (pendingMaximum_) PBar->Max(*std::exchange(pendingMaximum_, std::nullopt));
    if (pendingValue_) PBar->Value(*std::exchange(pendingValue_, std::nullopt));
}

// ---- the detail window ----

detail::FrmDetail* FrmMain::Detail() const { return detail_.data(); }

FrmScript* FrmMain::Script() const { return script_.data(); }

bool FrmMain::refusedWhileComparing() {
    if (!session_ || !session_->Comparing()) return false;
    context_.services.MsgBox(qs(kComparisonRunning), ui::Buttons::OkOnly, ui::Icon::Information,
                             qs(kProgramTitle));
    return true;
}

void FrmMain::ShowScript(const ScriptWindowText& script) {
    if (refusedWhileComparing()) return;
    if (!script_) {
        script_ = new FrmScript(context_.services);
        ui::openOver(*script_, *this);
    }
    script_->Preview = &MyPreview();
    script_->ShowScript(script);
}

std::string FrmMain::SourceDBPath() const { return utf8(SDBPath->Text()); }

std::string FrmMain::DestinationDBPath() const { return utf8(DDBPath->Text()); }

void FrmMain::ShowReport(const report::Document& document) {
    context_.services.ShowPreview(document, &ui::programImages());
}

void FrmMain::ShowDetails(const engine::TComparisonResult& result, int32_t kind, int32_t index) {
    if (refusedWhileComparing()) return;
    if (!detail_) {
        detail_ = new detail::FrmDetail(detailOptions_, context_.services);
        detail_->ReportImageFolder = qs(context_.programFolder) + u"/Detail Images"_s;
        ui::openOver(*detail_, *this);
    }
    detail_->Differences(result);
    detail_->Preview = &MyPreview();
    detail_->ShowDetails(kind, index);
    detail_->show();
    detail_->raise();
    detail_->activateWindow();
}

int FrmMain::DetailOptions::CMatch() const { return window_.OptionValue(OptionBox::CMatch); }

int FrmMain::DetailOptions::CISeed() const { return window_.OptionValue(OptionBox::CISeed); }

// ---- failures ----

void FrmMain::guarded(const std::function<void()>& work) noexcept {
    try {
        work();
    } catch (...) {
        showFailure(qs(FailureText(std::current_exception())));
    }
}

void FrmMain::showFailure(const QString& description) noexcept {
    try {
        context_.services.MsgBox(description, ui::Buttons::OkOnly, ui::Icon::Critical,
                                 qs(kProgramTitle));
    } catch (...) {
        // Nothing is left to tell the user with.
    }
}

// ---- the window ----

void FrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeStatusBar();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // The close box does what Exit does: no detail or script window is left
    // on screen with the program running behind it.
    if (event->isAccepted()) endProgram();
}

}  // namespace wizard
