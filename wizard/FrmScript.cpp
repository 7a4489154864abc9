#include "wizard/FrmScript.h"

#include <QDir>
#include <QKeyEvent>
#include <exception>

#include "anchor/QAnchorWidget.h"
#include "ui/Twips.h"
#include "ui/images/Glyphs.h"
#include "ui/images/ImageList.h"
#include "wizard/SaveDialog.h"
#include "wizard_core/TextReport.h"

using namespace Qt::StringLiterals;

namespace wizard {

namespace {

// The design, in twips: client area, margins and the controls' places.
constexpr int kClientWidth = 9000;
constexpr int kClientHeight = 6600;
constexpr int kMargin = 120;
constexpr int kButtonWidth = 1200;
constexpr int kButtonHeight = 375;
constexpr int kButtonTop = kClientHeight - kMargin - kButtonHeight;
constexpr int kNotesHeight = 1050;
// The smallest outer size while the user sizes the window.
constexpr int kMinFormHeight = 5910;
constexpr int kMinFormWidth = 6980;

// Each control's edges kept while the window is resized: left, top, right, bottom.
constexpr const char16_t* kAnchorList =
    u"RTBox\n1111\nNotes\n1011\nCmdClose\n0011\nCmdSave\n1001\nCmdPrint\n1001\n"
    u"QAnchor1\n1100\nDlg\n1100\n";

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QString notesText(const std::vector<std::string>& report) {
    QString text = u"What this script leaves out, and why:"_s;
    for (const std::string& sentence : report) text += u"\r\n"_s + QString::fromStdString(sentence);
    return text;
}

}  // namespace

FrmScript::FrmScript(ui::Services& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    setObjectName(u"FrmScript"_s);
    setWindowTitle(u"Database Script"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font(u"Verdana"_s);
    font.setPointSizeF(8.25);
    setFont(font);
    resize(ui::twipsToPixels(kClientWidth), ui::twipsToPixels(kClientHeight));

    RTBox = named(new ui::RichTextBox(this), "RTBox");
    RTBox->setGeometry(
        ui::twipsRect(kMargin, kMargin, kClientWidth - 2 * kMargin, kButtonTop - 2 * kMargin));
    Notes = named(new ui::MultiLineTextBox(this), "Notes");
    Notes->setReadOnly(true);
    // Read, not edited: on the window's own colour, apart from the script.
    QPalette notes = Notes->palette();
    notes.setColor(QPalette::Base, notes.color(QPalette::Window));
    Notes->setPalette(notes);
    Notes->setGeometry(ui::twipsRect(kMargin, kButtonTop - kMargin - kNotesHeight,
                                     kClientWidth - 2 * kMargin, kNotesHeight));
    Notes->hide();
    CmdSave = named(new ui::ToolButton(u"Save"_s, this), "CmdSave");
    CmdSave->setGeometry(ui::twipsRect(kMargin, kButtonTop, kButtonWidth, kButtonHeight));
    CmdPrint = named(new ui::ToolButton(u"Print"_s, this), "CmdPrint");
    CmdPrint->Picture(ui::glyphIcon(ui::Glyph::Print));
    CmdPrint->setGeometry(
        ui::twipsRect(2 * kMargin + kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight));
    CmdClose = named(new ui::ToolButton(u"Close"_s, this), "CmdClose");
    CmdClose->setGeometry(ui::twipsRect(kClientWidth - kMargin - kButtonWidth, kButtonTop,
                                        kButtonWidth, kButtonHeight));

    CmdClose->Click.connect([this] { CmdClose_Click(); });
    CmdSave->Click.connect([this] { CmdSave_Click(); });
    CmdPrint->Click.connect([this] { CmdPrint_Click(); });

    QAnchor1 = named(new anchor::QAnchorWidget(this), "QAnchor1");
    QAnchor1->setAnchor(QString::fromUtf16(kAnchorList));
    QAnchor1->setMinFormHeight(kMinFormHeight);
    QAnchor1->setMinFormWidth(kMinFormWidth);
    QAnchor1->setFirstHeight(ui::twipsToPixels(kClientHeight));
    QAnchor1->setFirstWidth(ui::twipsToPixels(kClientWidth));
    // The window has no load handler of its own: the control is stored on.
    QAnchor1->setEnabled(true);
}

void FrmScript::ShowScript(const ScriptWindowText& script) {
    RTBox->Text(QString::fromStdString(script.Text));
    SourceDBPath = QString::fromStdString(script.SourceDBPath);
    DestinationDBPath = QString::fromStdString(script.DestinationDBPath);
    setWindowTitle(QString::fromStdString(script.Caption));
    Notes->Text(script.Report.empty() ? QString() : notesText(script.Report));
    placeNotes(!script.Report.empty());
    show();
    raise();
    activateWindow();
}

void FrmScript::placeNotes(bool shown) {
    if (Notes->isVisibleTo(this) == shown) return;
    const int gap = ui::twipsToPixels(kMargin);
    const int bottom = CmdClose->y() - gap;  // where the script box ends without notes
    const QRect script = RTBox->geometry();
    if (shown) {
        const int height = ui::twipsToPixels(kNotesHeight);
        Notes->setGeometry(script.x(), bottom - height, script.width(), height);
        RTBox->setGeometry(script.x(), script.y(), script.width(),
                           bottom - height - gap - script.y());
    } else {
        RTBox->setGeometry(script.x(), script.y(), script.width(), bottom - script.y());
    }
    Notes->setVisible(shown);
    QAnchor1->ContainerResized();
}

void FrmScript::CmdClose_Click() { close(); }

void FrmScript::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CmdClose_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FrmScript::CmdSave_Click() {
    try {
        Dlg.title = u"Save script file..."_s;
        Dlg.filter = u"Parabase script file (*.psx)|*.psx|"_s;
        Dlg.flags = ui::dlg::HideReadOnly;
        const std::optional<QString> file = ChooseFileToWrite(services_, Dlg, u".psx"_s);
        if (!file) return;
        QString error;
        if (!RTBox->SaveFile(*file, &error))
            services_.MsgBox(u"The script could not be saved as "_s +
                                 QDir::toNativeSeparators(*file) + u".\r\n\r\n"_s + error,
                             ui::Buttons::OkOnly, ui::Icon::Critical);
    } catch (const std::exception& e) {
        services_.MsgBox(QString::fromStdString(e.what()), ui::Buttons::OkOnly, ui::Icon::Critical);
    }
}

void FrmScript::CmdPrint_Click() {
    if (!Preview) return;
    try {
        const QFont shown = RTBox->font();
        const report::Font font{shown.family().toStdString(), shown.pointSizeF(), shown.bold()};
        PrintTextReport(*Preview, (windowTitle() + u" Report"_s).toStdString(),
                        RTBox->Text().toStdString(), font);
        services_.ShowPreview(*Preview, &ui::programImages());
    } catch (const std::exception& e) {
        services_.MsgBox(QString::fromStdString(e.what()), ui::Buttons::OkOnly, ui::Icon::Critical);
    }
}

}  // namespace wizard
