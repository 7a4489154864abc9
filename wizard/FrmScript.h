#pragma once
// The script window: shows the synchronisation script of a script request,
// prints it as a report on the wizard's print preview, and saves it as a
// script file (.psx). One instance, refilled by every request and shown
// modeless (the wizard opens it over its own window); closing it deletes it
// (the wizard holds it by QPointer and makes a fresh one for the next request).
#include <QString>
#include <QWidget>

#include "report/Document.h"
#include "ui/MultiLineTextBox.h"
#include "ui/RichTextBox.h"
#include "ui/Services.h"
#include "ui/ToolButton.h"
#include "wizard/ResultsView.h"

namespace anchor {
class QAnchorWidget;
}

namespace wizard {

class FrmScript : public QWidget {
public:
    // `services` must outlive the window.
    explicit FrmScript(ui::Services& services, QWidget* parent = nullptr);

    // The form's controls, named as their objectName.
    ui::RichTextBox* RTBox;
    ui::ToolButton* CmdClose;
    ui::ToolButton* CmdSave;
    ui::ToolButton* CmdPrint;
    // What the script leaves out, shown under the script only when there is
    // something to say.
    ui::MultiLineTextBox* Notes;
    anchor::QAnchorWidget* QAnchor1;
    // The save dialog's settings; the name chosen last is offered again.
    ui::FileDialog Dlg;

    // Set by the script request. The print preview is the wizard's (never
    // owned; printing does nothing while none is lent).
    report::Document* Preview = nullptr;
    QString SourceDBPath;
    QString DestinationDBPath;

    // A script request: text, caption, the two paths and the notes replaced,
    // then the window shown and brought to the front.
    void ShowScript(const ScriptWindowText& script);

    void CmdClose_Click();
    void CmdSave_Click();
    void CmdPrint_Click();

protected:
    // Escape closes the window, as its Close button does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows or hides the notes under the script, giving the script box the
    // room they take or leave.
    void placeNotes(bool shown);

    ui::Services& services_;
};

}  // namespace wizard
