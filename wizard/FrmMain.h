#pragma once
// The comparison program's main window: a wizard of five pages (Welcome,
// Databases, Options, Compare, Results) with a navigation bar on the left, a
// header band on top and a row of buttons at the bottom. It is wiring: the
// compare run and the option rules are CompareSession's, the pages'
// navigation WizardPages', configuration files Configuration's.
//
// The window runs its start-up (Form_Load) when it is made. When the
// data-access check fails it shows why and ends the program (Ended() is then
// true and the window must not be shown). Every handler catches what its work
// throws and shows it in a critical message box; the program goes on.
//
// Closing the window, with Exit or with its close box, ends the program: a
// running comparison stops, and the script and detail windows close with it.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "detail/WizardOptions.h"
#include "engine/ComparisonResult.h"
#include "ui/Services.h"
#include "wizard/CompareView.h"
#include "wizard/Configuration.h"
#include "wizard/LastUsedPath.h"
#include "wizard/ProgramContext.h"
#include "wizard/ResultsView.h"
#include "wizard/WizardPages.h"

namespace anchor {
class QAnchorWidget;
}
namespace detail {
class FrmDetail;
}

namespace ui {
class ButtonStrip;
class CheckBox;
class Frame;
class ImageList;
class Label;
class LineHeader;
class MenuItem;
class MultiLineTextBox;
class PictureBox;
class PopupMenu;
class ProgressBar;
class StatusBar;
class TextBox;
class Toolbar;
class ToolButton;
class TreeGrid;
}  // namespace ui

namespace wizard {

class FrmScript;
class QtResultsControls;
class ResultsTree;

class FrmMain : public QWidget,
                private CompareView,
                private ResultsView,
                private ConfigurationControls {
public:
    // `context` and what it refers to must outlive the window.
    explicit FrmMain(ProgramContext& context, QWidget* parent = nullptr);
    ~FrmMain() override;

    // True when start-up ended the program (the data-access check failed).
    [[nodiscard]] bool Ended() const { return !session_; }

    // ---- the form's controls, named as their objectName ----
    ui::PictureBox* PTop;
    ui::Label* CLabel1;
    ui::Label* CLabel2;
    ui::PictureBox* WizardImage;
    ui::LineHeader* HeaderTop;
    ui::ButtonStrip* Bar;
    // Page(n) holds page n + 1 (objectName "Page_n", property Index n).
    std::array<ui::PictureBox*, kPageCount> Page;
    ui::Label* LabelWelcome;
    // Databases
    ui::Frame* SDBFrame;
    ui::Label* SDBLabel;
    ui::TextBox* SDBPath;
    ui::ToolButton* SDBOpen;
    ui::Label* Label1;
    ui::TextBox* SWFPath;
    ui::ToolButton* SWFOpen;
    ui::Label* Label2;
    ui::TextBox* SUName;
    ui::Label* Label3;
    ui::TextBox* SPassword;
    ui::Frame* DDBFRame;
    ui::Label* Label4;
    ui::TextBox* DDBPath;
    ui::ToolButton* DDBOpen;
    ui::Label* Label5;
    ui::TextBox* DWFPath;
    ui::ToolButton* DWFOpen;
    ui::Label* Label6;
    ui::TextBox* DUName;
    ui::Label* Label7;
    ui::TextBox* DPassword;
    // Options
    ui::Frame* CFrame;
    ui::CheckBox* CMatch;
    ui::CheckBox* CISeed;
    ui::Frame* OFrame;
    ui::CheckBox* CTable;
    ui::CheckBox* CGroup;
    ui::CheckBox* CUser;
    ui::CheckBox* CView;
    ui::CheckBox* CProcedure;
    ui::CheckBox* CKey;
    ui::CheckBox* CIndex;
    ui::Frame* SFRame;
    ui::CheckBox* DObject;
    ui::CheckBox* IIncSeed;
    ui::CheckBox* SAIncrement;
    // Compare
    ui::Label* CDescLabel;
    ui::ToolButton* CmdCompare;
    ui::ToolButton* CmdPrint;
    ui::Frame* CompFrame;
    ui::Label* CompLabel;
    ui::TextBox* ProcessLabel;
    ui::ProgressBar* PBar;
    ui::Label* Label8;
    ui::MultiLineTextBox* TxtDetail;
    // Results
    ui::Toolbar* TBar;
    ui::TreeGrid* MGrid;
    ui::PopupMenu* MenuPop;
    ui::MenuItem* VD;
    ui::MenuItem* S1;
    ui::MenuItem* SFS;
    ui::MenuItem* UnSFS;
    const ui::ImageList* MGridImg;
    // Bottom
    ui::LineHeader* HeaderBottom;
    ui::ToolButton* CmdPrinterSetup;
    ui::ToolButton* CmdSave;
    ui::ToolButton* CmdLoad;
    ui::ToolButton* CmdHelp;
    ui::ToolButton* CmdAbout;
    ui::ToolButton* CmdBack;
    ui::ToolButton* CmdNext;
    ui::ToolButton* CmdExit;
    ui::StatusBar* SBar;
    anchor::QAnchorWidget* Anchor;
    // The common dialog's settings, filled by each handler before it is shown.
    ui::FileDialog Dlg;

    // ---- state ----
    [[nodiscard]] uint8_t PageNumber() const { return pages_.PageNumber(); }
    // The compare run; null only when start-up ended the program.
    [[nodiscard]] CompareSession* Session() { return session_.get(); }
    [[nodiscard]] bool Compared() const { return session_ && session_->Compared(); }
    [[nodiscard]] report::Document& MyPreview() { return context_.preview; }
    // The check box values the script generator and the detail window read.
    [[nodiscard]] int16_t OptionValue(OptionBox box) const override;

    // ---- handlers ----
    void Bar_ButtonClick(int button);
    void CmdBack_Click();
    void CmdNext_Click();
    void CmdExit_Click();
    void CmdHelp_Click();
    void CmdAbout_Click();
    void CmdPrinterSetup_Click();
    void CmdPrint_Click();
    void CmdLoad_Click();
    void CmdSave_Click();
    void CmdCompare_Click();
    void SDBOpen_Click();
    void SWFOpen_Click();
    void DDBOpen_Click();
    void DWFOpen_Click();

    // The results page's logic; null only when start-up ended the program.
    [[nodiscard]] ResultsTree* Results() { return results_.get(); }

    // The detail request: the detail window (one instance, made when needed)
    // gets its own copy of `result`, the print preview, and shows element
    // `index` of kind `kind`, modeless; made, it opens over this window, a
    // transient of it (ui/WindowOwner.h). Refused while a comparison runs.
    void ShowDetails(const engine::TComparisonResult& result, int32_t kind, int32_t index) override;
    // The script request's window: one instance, made when needed (opening
    // over this window, as the detail window does), refilled and shown modeless.
    void ShowScript(const ScriptWindowText& script) override;
    // The script and detail windows while they are open, else null.
    [[nodiscard]] detail::FrmDetail* Detail() const;
    [[nodiscard]] FrmScript* Script() const;

    // The eight database fields as typed.
    [[nodiscard]] DatabaseSettings Settings() const;
    void SaveConfiguration(const std::string& FileName);
    void LoadConfiguration(const std::string& FileName);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Ends the program, once: the comparison stops, the detail and script
    // windows close with this one. Exit and the close box both come here.
    void endProgram();
    void buildTop();
    void buildBottom();
    void buildDatabasesPage();
    void buildOptionsPage();
    void buildComparePage();
    void buildResultsPage();
    void connectHandlers();
    void placeStatusBar();

    void Form_Load();
    void ShowPage();
    void FillResults();
    void InvalidateResults();
    void openDatabaseFile(const QString& title, const QString& filter, ui::TextBox* field);
    void ApplyLastUsedPath();
    void SaveLastUsedPath();

    // Runs one handler's work; what it throws is shown in a critical box.
    void guarded(const std::function<void()>& work) noexcept;
    void showFailure(const QString& description) noexcept;

    // CompareView
    void SetLog(const std::string& text) override;
    void AppendLog(const std::string& text) override;
    void SetProcessLabel(const std::string& text) override;
    void SetProgressMaximum(int32_t maximum) override;
    void SetProgressValue(int32_t value) override;
    void SetCompareEnabled(bool enabled) override;
    void ResultsDropped() override;
    // Also ResultsView's.
    void MsgBox(const std::string& text, BoxIcon icon, const std::string& title) override;
    void DoEvents() override;

    // ResultsView
    [[nodiscard]] std::string SourceDBPath() const override;
    [[nodiscard]] std::string DestinationDBPath() const override;
    void ShowReport(const report::Document& document) override;
    // Shows what the comparison left for the next repaint: the log's new
    // lines and the progress.
    void flushCompareView();

    // What the detail window reads of the option boxes, when it needs them.
    class DetailOptions final : public detail::WizardOptions {
    public:
        explicit DetailOptions(const FrmMain& window) : window_(window) {}
        [[nodiscard]] int CMatch() const override;
        [[nodiscard]] int CISeed() const override;

    private:
        const FrmMain& window_;
    };
    // A request that must wait for the comparison: true (and the user told)
    // while one runs.
    [[nodiscard]] bool refusedWhileComparing();

    // ConfigurationControls
    [[nodiscard]] std::string FieldText(DatabaseField field) const override;
    void FieldText(DatabaseField field, const std::string& text) override;
    void OptionValue(OptionBox box, int16_t value) override;
    [[nodiscard]] ui::TextBox* field(DatabaseField f) const;
    [[nodiscard]] ui::CheckBox* checkBox(OptionBox box) const;

    ProgramContext& context_;
    PageNavigator pages_;
    std::unique_ptr<CompareSession> session_;
    std::unique_ptr<QtResultsControls> resultsControls_;
    std::unique_ptr<ResultsTree> results_;
    LastUsedPath lastUsedPath_;
    DetailOptions detailOptions_{*this};
    QPointer<detail::FrmDetail> detail_;
    QPointer<FrmScript> script_;
    bool ending_ = false;

    // What the comparison has told the view and the window shows at its next
    // yield.
    QString pendingLog_;
    std::optional<std::string> pendingLabel_;
    std::optional<int32_t> pendingMaximum_;
    std::optional<int32_t> pendingValue_;
    QElapsedTimer sinceYield_;
    bool yieldNow_ = true;
};

}  // namespace wizard
