#include "runner/FrmMain.h"

#include <QCloseEvent>
#include <QFont>
#include <QResizeEvent>
#include <QStyle>
#include <algorithm>
#include <initializer_list>
#include <string>

#include "jet/Connection.h"
#include "runner/RunnerSettings.h"
#include "text/Trim.h"
#include "ui/FileFilters.h"
#include "ui/Twips.h"

using namespace Qt::StringLiterals;

namespace runner {

namespace {

// The form's design, in twips: client area and each control's left, top,
// width and height (children of the frame relative to the frame).
constexpr int kClientWidth = 6510;
constexpr int kClientHeight = 3090;

enum class Grow {
    None,    // stays where the form put it
    Width,   // takes the extra width (frame, text boxes)
    Move,    // moves right by the extra width (picker buttons)
    Centre,  // moves right by half of it (Run)
    Label,   // widens when its text needs more room than the form gave it
};

struct Place {
    QWidget* control;
    int left, top, width, height;
    Grow grow;
    bool shifts;  // lies right of the label column
};

QString fromUtf8(const std::string& s) { return QString::fromStdString(s); }
std::string toUtf8(const QString& s) { return s.toStdString(); }

// `text` followed by each non-empty line of `lines`, after an empty line.
QString withLines(QString text, std::initializer_list<std::string> lines) {
    for (const std::string& line : lines)
        if (!line.empty()) text += u"\r\n\r\n"_s + fromUtf8(line);
    return text;
}

// A successful run that went on past failed statements says so: the
// database does not hold the whole script.
std::string skippedLine(size_t failed) {
    if (failed == 0) return {};
    if (failed == 1) return "1 statement failed and was skipped.";
    return std::to_string(failed) + " statements failed and were skipped.";
}

}  // namespace

FrmMain::FrmMain(ui::Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(u"FrmMain"_s);
    setWindowTitle(u"Script Runner For Parabase v1.2 For MSAccess"_s);
    QFont font(u"Verdana"_s);
    font.setPointSizeF(8.25);
    setFont(font);

    auto named = [](QWidget* w, const QString& name) {
        w->setObjectName(name);
        return w;
    };
    const QIcon folder = style()->standardIcon(QStyle::SP_DirOpenIcon);
    auto picker = [&](QWidget* owner, const QString& name) {
        auto* b = new QPushButton(owner);
        named(b, name);
        b->setIcon(folder);
        return b;
    };

    SDBFrame = new QGroupBox(u"Database"_s, this);
    named(SDBFrame, u"SDBFrame"_s);
    SDBLabel = new QLabel(u"Database File"_s, SDBFrame);
    named(SDBLabel, u"SDBLabel"_s);
    DBFile = new QLineEdit(SDBFrame);
    named(DBFile, u"DBFile"_s);
    CmdDFile = picker(SDBFrame, u"CmdDFile"_s);
    Label1 = new QLabel(u"WorkGroup File"_s, SDBFrame);
    named(Label1, u"Label1"_s);
    WFile = new QLineEdit(SDBFrame);
    named(WFile, u"WFile"_s);
    CmdWFile = picker(SDBFrame, u"CmdWFile"_s);
    Label2 = new QLabel(u"User Name"_s, SDBFrame);
    named(Label2, u"Label2"_s);
    UName = new QLineEdit(SDBFrame);
    named(UName, u"UName"_s);
    Label3 = new QLabel(u"Password"_s, SDBFrame);
    named(Label3, u"Label3"_s);
    Password = new QLineEdit(SDBFrame);
    named(Password, u"Password"_s);
    Password->setEchoMode(QLineEdit::Password);
    Label4 = new QLabel(u"Script File"_s, this);
    named(Label4, u"Label4"_s);
    SFile = new QLineEdit(this);
    named(SFile, u"SFile"_s);
    CmdSFile = picker(this, u"CmdSFile"_s);
    CmdRun = new QPushButton(u"Run"_s, this);
    named(CmdRun, u"CmdRun"_s);

    // The form's tab indexes; labels and the frame take no focus.
    QWidget::setTabOrder(DBFile, WFile);
    QWidget::setTabOrder(WFile, UName);
    QWidget::setTabOrder(UName, Password);
    QWidget::setTabOrder(Password, SFile);
    QWidget::setTabOrder(SFile, CmdRun);
    QWidget::setTabOrder(CmdRun, CmdDFile);
    QWidget::setTabOrder(CmdDFile, CmdWFile);
    QWidget::setTabOrder(CmdWFile, CmdSFile);

    connect(CmdDFile, &QPushButton::clicked, this, [this] { CmdDFile_Click(); });
    connect(CmdWFile, &QPushButton::clicked, this, [this] { CmdWFile_Click(); });
    connect(CmdSFile, &QPushButton::clicked, this, [this] { CmdSFile_Click(); });
    connect(CmdRun, &QPushButton::clicked, this, [this] { CmdRun_Click(); });

    // A font wider than the form's own (Verdana is often missing) moves the
    // field column right instead of clipping the labels.
    int labelWidth = 0;
    for (QLabel* l : {SDBLabel, Label1, Label2, Label3, Label4})
        labelWidth = std::max(labelWidth, l->sizeHint().width());
    labelShift_ = std::max(0, labelWidth - ui::twipsToPixels(1335));

    const QSize design(ui::twipsToPixels(kClientWidth) + labelShift_,
                       ui::twipsToPixels(kClientHeight));
    setMinimumSize(design);
    resize(design);
    layoutControls();

    Form_Load();
}

void FrmMain::Form_Load() { SRun.Events(this); }

void FrmMain::layoutControls() {
    const Place places[] = {
        {SDBFrame, 120, 120, 6270, 1935, Grow::Width, false},
        {SDBLabel, 120, 280, 1335, 255, Grow::Label, false},
        {DBFile, 1560, 240, 4110, 285, Grow::Width, true},
        {CmdDFile, 5760, 180, 375, 375, Grow::Move, true},
        {Label1, 120, 705, 1335, 255, Grow::Label, false},
        {WFile, 1560, 660, 4110, 285, Grow::Width, true},
        {CmdWFile, 5760, 620, 375, 375, Grow::Move, true},
        {Label2, 120, 1125, 1335, 255, Grow::Label, false},
        {UName, 1560, 1080, 4110, 285, Grow::Width, true},
        {Label3, 120, 1565, 1335, 255, Grow::Label, false},
        {Password, 1560, 1500, 4110, 285, Grow::Width, true},
        {Label4, 240, 2205, 1335, 255, Grow::Label, false},
        {SFile, 1680, 2160, 4110, 285, Grow::Width, true},
        {CmdSFile, 5880, 2100, 375, 375, Grow::Move, true},
        {CmdRun, 2400, 2640, 1575, 375, Grow::Centre, false},
    };
    const int extra = std::max(0, width() - minimumWidth());
    for (const Place& p : places) {
        QRect r = ui::twipsRect(p.left, p.top, p.width, p.height);
        if (p.shifts) r.translate(labelShift_, 0);
        switch (p.grow) {
            case Grow::None:
                break;
            case Grow::Width:
                // The frame takes the label shift too, so that its children fit.
                r.setWidth(r.width() + extra + (p.shifts ? 0 : labelShift_));
                break;
            case Grow::Move:
                r.translate(extra, 0);
                break;
            case Grow::Centre:
                r.translate((extra + labelShift_) / 2, 0);
                break;
            case Grow::Label:
                r.setWidth(r.width() + labelShift_);
                break;
        }
        p.control->setGeometry(r);
    }
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // The run's boxes let events through; the window stays until the run is over.
    if (running_)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

std::string FrmMain::connectionString() const {
    return BuildConnectionString(RunnerSettings{toUtf8(DBFile->text()), toUtf8(WFile->text()),
                                                toUtf8(UName->text()), toUtf8(Password->text())});
}

void FrmMain::pickFile(const QString& title, const QString& filter, QLineEdit* target) {
    Dlg.title = title;
    Dlg.filter = filter;
    Dlg.flags = ui::dlg::HideReadOnly;
    Dlg.fileName.clear();
    try {
        // Cancel gives no name and leaves the text box as it was.
        if (const auto chosen = services_.ShowOpen(Dlg)) {
            Dlg.fileName = *chosen;
            target->setText(*chosen);
        }
    } catch (const std::exception&) {
        // A dialog that fails changes nothing.
    }
}

void FrmMain::CmdDFile_Click() {
    pickFile(u"Open database file..."_s, ui::databaseFilter(), DBFile);
}

void FrmMain::CmdWFile_Click() {
    pickFile(u"Open workgroup file..."_s, ui::workgroupFilter(), WFile);
}

void FrmMain::CmdSFile_Click() {
    pickFile(u"Open Parabase script file..."_s, u"Parabase script file (*.psx)|*.psx|"_s, SFile);
}

void FrmMain::CmdRun_Click() {
    // A click let through while the run's boxes are open must not start another.
    if (running_) return;
    const std::string connection = connectionString();
    try {
        // Write access, as the run needs: a database that cannot be changed is
        // refused here rather than statement after statement.
        jet::Connection test;
        test.Mode(jet::ConnectMode::ReadWrite);
        test.Open(connection, {}, {}, -1);
        test.Close();
    } catch (const std::exception& e) {
        // The data-access layer's own words tell a missing file from a wrong
        // password or a database that cannot be changed.
        services_.MsgBox(
            withLines(u"Can't connect to the database.Please check your settings and try again!"_s,
                      {e.what()}),
            ui::Buttons::OkOnly, ui::Icon::Critical, u"Connection error!"_s);
        return;
    }

    SRun.ConnectionString(connection);
    SRun.ScriptFile(std::string(text::trimSpaces(toUtf8(SFile->text()))));

    // Enabled again and marked idle on every way out, after the result box.
    struct Idle {
        FrmMain& w;
        ~Idle() {
            w.CmdRun->setEnabled(true);
            w.running_ = false;
        }
    } idle{*this};
    running_ = true;
    bool succeeded = false;
    std::string failure;  // what ended the run, when it failed with an error
    {
        const ui::BusyPointer busy(services_);
        CmdRun->setEnabled(false);
        services_.DoEvents();
        try {
            succeeded = SRun.RunScript();
        } catch (const std::exception& e) {
            succeeded = false;
            failure = e.what();
        }
    }
    // Under the result: why the run failed or the database refused to be
    // changed, how many failed statements a successful run went past, that
    // the database was not changed when its close failed, and where its
    // earlier version is kept.
    const QString more = withLines(
        {}, {failure, SRun.Refusal(), succeeded ? skippedLine(SRun.FailedStatements()) : "",
             SRun.CloseFailure(), SRun.CloseReport()});
    if (succeeded)
        services_.MsgBox(u"Script has been run succesfully!"_s + more, ui::Buttons::OkOnly,
                         ui::Icon::Information);
    else
        services_.MsgBox(u"Script has been run unsuccesfully!"_s + more, ui::Buttons::OkOnly,
                         ui::Icon::Exclamation);
}

void FrmMain::ShowStatement(const std::string& statement) {
    services_.MsgBox(fromUtf8(statement), ui::Buttons::OkOnly, ui::Icon::None);
}

void FrmMain::OnError(int32_t ErrNo, std::string ErrDesc, bool& Continue) {
    SRun_OnError(ErrNo, ErrDesc, Continue);
}

void FrmMain::SRun_OnError(int32_t ErrNo, const std::string& ErrDesc, bool& Continue) {
    const QString text = u"An error occured : "_s + u"\r\n"_s + QString::number(ErrNo) + u'-' +
                         fromUtf8(ErrDesc) + u"\r\n\r\n"_s + u"Continue?"_s;
    Continue = services_.MsgBox(text, ui::Buttons::YesNo, ui::Icon::Exclamation, u"Error!"_s) ==
               ui::Answer::Yes;
}

}  // namespace runner
