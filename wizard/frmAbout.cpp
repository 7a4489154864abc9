#include "wizard/frmAbout.h"

#include <QFont>

#include "ui/Label.h"
#include "ui/PictureBox.h"
#include "ui/ShellOpen.h"
#include "ui/ToolButton.h"
#include "ui/Twips.h"
#include "wizard_core/MFunctions.h"
#include "wizard/WizardArt.h"

using namespace Qt::StringLiterals;

namespace wizard {

namespace {

void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(ui::twipsRect(left, top, width, height));
}

}  // namespace

frmAbout::frmAbout(ProgramContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(u"frmAbout"_s);
    setWindowTitle(u"About Orvel! Parabase Application"_s);
    QFont font(u"Verdana"_s);
    font.setPointSizeF(8.25);
    setFont(font);
    setFixedSize(ui::twipsToPixels(6900), ui::twipsToPixels(4920));

    WizardImage = new ui::PictureBox(this);
    WizardImage->setObjectName(u"WizardImage"_s);
    WizardImage->Picture(wizardPicture(48, devicePixelRatioF()));
    place(WizardImage, 240, 240, 720, 720);
    ProductName = new ui::Label(u"Orvel! Parabase v1.2 for MSAccess"_s, this);
    ProductName->setObjectName(u"ProductName"_s);
    QFont big = font;
    big.setPointSizeF(11);
    big.setBold(true);
    ProductName->setFont(big);
    place(ProductName, 1200, 360, 5460, 360);

    struct Row {
        ui::Label*& caption;
        const char* captionName;
        const char* captionText;
        ui::Label*& link;
        const char* linkName;
        const char* shown;
        const char* tag;
    };
    const Row rows[] = {
        {Label1, "Label1", "Sales :", Sales, "Sales", "sales@example.org",
         "mailto:sales@example.org"},
        {Label2, "Label2", "Feedback :", Feedback, "Feedback", "feedback@example.org",
         "mailto:feedback@example.org"},
        {Label3, "Label3", "Information :", Info, "Info", "info@example.org",
         "mailto:info@example.org"},
        {Label4, "Label4", "Support :", Support, "Support", "support@example.org",
         "mailto:support@example.org"},
        {Label5, "Label5", "Web Site :", WSite, "WSite", "http://www.example.org",
         "http://www.example.org"},
    };
    int top = 1200;
    for (const Row& r : rows) {
        r.caption = new ui::Label(QString::fromLatin1(r.captionText), this);
        r.caption->setObjectName(QString::fromLatin1(r.captionName));
        r.caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        place(r.caption, 240, top, 1800, 270);
        r.link = new ui::Label(QString::fromLatin1(r.shown), this);
        r.link->setObjectName(QString::fromLatin1(r.linkName));
        r.link->setProperty("Tag", QString::fromLatin1(r.tag));
        r.link->Link(true);
        place(r.link, 2160, top, 4500, 270);
        top += 330;
    }
    Label6 = new ui::Label(
        u"Warning: this computer program is protected by copyright law. Unauthorized "
        "reproduction or distribution of this program, or any portion of it, may result in "
        "severe civil and criminal penalties."_s,
        this);
    Label6->setObjectName(u"Label6"_s);
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Label6, 240, 2970, 6420, 810);
    Label7 = new ui::Label(u"Orvel! Parabase is a product of Orvel!. All rights reserved."_s, this);
    Label7->setObjectName(u"Label7"_s);
    place(Label7, 240, 3840, 6420, 270);
    Ok = new ui::ToolButton(u"OK"_s, this);
    Ok->setObjectName(u"Ok"_s);
    Ok->setDefault(true);
    place(Ok, 5460, 4290, 1200, 390);

    Sales->Click.connect([this] { Sales_Click(); });
    Feedback->Click.connect([this] { Feedback_Click(); });
    Info->Click.connect([this] { Info_Click(); });
    Support->Click.connect([this] { Support_Click(); });
    WSite->Click.connect([this] { WSite_Click(); });
    Ok->Click.connect([this] { Ok_Click(); });
}

MFunctions::Shell desktopShell(ProgramContext& context) {
    return {context.programName, [&context](const MFunctions::ShellRequest& r) {
                return ui::shellOpen(context.services, QString::fromStdString(r.Verb),
                                     QString::fromStdString(r.File));
            }};
}

void frmAbout::openLink(const ui::Label* link) {
    (void)MFunctions::ShellEx(desktopShell(context_),
                              link->property("Tag").toString().toStdString(), 10, "", "", "open",
                              0);
}

void frmAbout::Sales_Click() { openLink(Sales); }
void frmAbout::Feedback_Click() { openLink(Feedback); }
void frmAbout::Info_Click() { openLink(Info); }
void frmAbout::Support_Click() { openLink(Support); }
void frmAbout::WSite_Click() { openLink(WSite); }
void frmAbout::Ok_Click() { accept(); }

}  // namespace wizard
