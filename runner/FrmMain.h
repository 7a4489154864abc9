#pragma once
// The runner's one window: the database, optional workgroup, user and password,
// and the script file; Run test-opens the database, runs the script through
// SRun and reports the outcome. Every box and dialog goes through ui::Services.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "runner/CScriptRunner.h"
#include "ui/Services.h"

namespace runner {

inline constexpr char16_t kProgramTitle[] = u"Batchrun1";

class FrmMain : public QWidget, private ScriptRunnerEvents {
public:
    // `services` must outlive the window.
    explicit FrmMain(ui::Services& services, QWidget* parent = nullptr);

    // The form's controls, named as their objectName.
    QGroupBox* SDBFrame;
    QLabel* SDBLabel;
    QLineEdit* DBFile;
    QPushButton* CmdDFile;
    QLabel* Label1;
    QLineEdit* WFile;
    QPushButton* CmdWFile;
    QLabel* Label2;
    QLineEdit* UName;
    QLabel* Label3;
    QLineEdit* Password;
    QLabel* Label4;
    QLineEdit* SFile;
    QPushButton* CmdSFile;
    QPushButton* CmdRun;
    // The common dialog's settings, filled by each picker before it is shown.
    ui::FileDialog Dlg;

    void CmdDFile_Click();
    void CmdWFile_Click();
    void CmdSFile_Click();
    void CmdRun_Click();

    // The connection string the fields make now.
    [[nodiscard]] std::string connectionString() const;
    // True while CmdRun_Click is inside the run.
    [[nodiscard]] bool running() const { return running_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void SRun_OnError(int32_t ErrNo, const std::string& ErrDesc, bool& Continue);
    void ShowStatement(const std::string& statement) override;
    void OnError(int32_t ErrNo, std::string ErrDesc, bool& Continue) override;

    void pickFile(const QString& title, const QString& filter, QLineEdit* target);
    void layoutControls();

    ui::Services& services_;
    CScriptRunner SRun;
    bool running_ = false;
    int labelShift_ = 0;  // pixels the field column moves right when labels need it
};

}  // namespace runner
