#pragma once
// The comparison program's about box: its name and picture, five contact
// links (a click opens the link through MFunctions.ShellEx; one that cannot
// be opened leaves the box as it is, with no message), two notices and OK.
// Shown modally by the main window's About button.
#include <QDialog>

#include "wizard_core/MFunctions.h"
#include "wizard/ProgramContext.h"

namespace ui {
class Label;
class PictureBox;
class ToolButton;
}  // namespace ui

namespace wizard {

// The desktop as MFunctions.ShellEx's shell, through the program's services.
[[nodiscard]] MFunctions::Shell desktopShell(ProgramContext& context);

class frmAbout : public QDialog {
public:
    // `context` gives the shell (its services) and the failures' source.
    explicit frmAbout(ProgramContext& context, QWidget* parent = nullptr);

    ui::PictureBox* WizardImage;
    ui::Label* ProductName;
    ui::Label* Label1;
    ui::Label* Sales;
    ui::Label* Label2;
    ui::Label* Feedback;
    ui::Label* Label3;
    ui::Label* Info;
    ui::Label* Label4;
    ui::Label* Support;
    ui::Label* Label5;
    ui::Label* WSite;
    ui::Label* Label6;
    ui::Label* Label7;
    ui::ToolButton* Ok;

    void Sales_Click();
    void Feedback_Click();
    void Info_Click();
    void Support_Click();
    void WSite_Click();
    void Ok_Click();

private:
    // Opens the link kept in the label's Tag.
    void openLink(const ui::Label* link);

    ProgramContext& context_;
};

}  // namespace wizard
