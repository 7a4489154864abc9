#include "subclass/frmabout.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QUrl>

#include "host/qt/Shape.h"
#include "ui/Twips.h"

using namespace Qt::StringLiterals;

namespace subclass {

namespace {

// The box's design, in twips.
constexpr int kWidth = 5400;
constexpr int kHeight = 4245;

const QString kFamily = u"One of the Orvel! form layout controls"_s;
const QString kNotice1 = u"Free to use with the programs it comes with."_s;
const QString kNotice2 = u"Provided as is, without warranty of any kind."_s;
const QString kWebSite = u"http://www.example.org"_s;

}  // namespace

AboutTexts AboutTexts::anchor() {
    return {u"Bollard2"_s, u"About Orvel! Anchor Control"_s, u"Orvel! Anchor Control"_s, kWebSite};
}

AboutTexts AboutTexts::resizer() {
    return {u"Scalora2"_s, u"About Orvel! Resizer Control"_s, u"Orvel! Resizer Control"_s,
            kWebSite + u'/'};
}

std::int32_t DesktopShell::ShellExecute(std::int32_t, const std::string& operation,
                                        const std::string& file, const std::string&,
                                        const std::string& directory, std::int32_t) {
    if (!operation.empty() && operation != "open") return 31;  // no program for that verb
    const QString target = QString::fromStdString(file);
    QUrl url(target);
    if (url.scheme().size() < 2) {
        // A file name: relative to the folder given, and it must exist.
        QFileInfo info(
            directory.empty() ? target : QDir(QString::fromStdString(directory)).filePath(target));
        if (!info.dir().exists()) return 3;
        if (!info.exists()) return 2;
        url = QUrl::fromLocalFile(info.absoluteFilePath());
    }
    return QDesktopServices::openUrl(url) ? 33 : 31;
}

frmabout::frmabout(const AboutTexts& texts, QWidget* parent, Shell* shell)
    : QDialog(parent), library_(texts.library), shell_(shell) {
    static DesktopShell desktop;
    if (shell_ == nullptr) shell_ = &desktop;
    setObjectName(u"frmabout"_s);
    setWindowTitle(texts.caption);
    QFont font(u"Verdana"_s);
    font.setPointSizeF(8.25);
    setFont(font);

    auto label = [this](const QString& name, const QString& text, QWidget* owner, int l, int t,
                        int w, int h) {
        auto* x = new QLabel(text, owner);
        x->setObjectName(name);
        x->setGeometry(ui::twipsRect(l, t, w, h));
        return x;
    };
    auto link = [&](const QString& name, const QString& caption, const QString& tag, int top) {
        QLabel* x = label(name, caption, this, 1680, top, 3480, 255);
        x->setProperty("Tag", tag);
        QFont f = x->font();
        f.setUnderline(true);
        x->setFont(f);
        QPalette p = x->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 0xC0));
        x->setPalette(p);
        x->setCursor(Qt::PointingHandCursor);
        x->installEventFilter(this);
        return x;
    };

    Version = new QGroupBox(u"Version"_s, this);
    Version->setObjectName(u"Version"_s);
    Version->setGeometry(ui::twipsRect(120, 120, 5160, 1335));
    ControlName = label(u"ControlName"_s, texts.controlName, Version, 240, 270, 4680, 375);
    QFont big = ControlName->font();
    big.setBold(true);
    big.setPointSizeF(11);
    ControlName->setFont(big);
    Build = label(u"Build"_s, u"Version 2.0"_s, Version, 240, 690, 4680, 255);
    SubControlName = label(u"SubControlName"_s, kFamily, Version, 240, 975, 4680, 255);
    Label6 = label(u"Label6"_s, kNotice1, this, 120, 1560, 5160, 255);
    Label8 = label(u"Label8"_s, kNotice2, this, 120, 1815, 5160, 255);

    Shape1 = new host::qt::Shape(this);
    Shape1->setObjectName(u"Shape1"_s);
    Shape1->setBorderColor(palette().color(QPalette::Mid));
    Shape1->setGeometry(ui::twipsRect(120, 2175, 5160, 1425));

    Label11 = label(u"Label11"_s, u"Feedback :"_s, this, 240, 2310, 1335, 255);
    Feedback =
        link(u"Feedback"_s, u"feedback@example.org"_s, u"mailto:feedback@example.org"_s, 2310);
    Label9 = label(u"Label9"_s, u"Information :"_s, this, 240, 2640, 1335, 255);
    Info = link(u"Info"_s, u"info@example.org"_s, u"mailto:info@example.org"_s, 2640);
    Label7 = label(u"Label7"_s, u"Support :"_s, this, 240, 2970, 1335, 255);
    Support = link(u"Support"_s, u"support@example.org"_s, u"mailto:support@example.org"_s, 2970);
    Label5 = label(u"Label5"_s, u"Web Site :"_s, this, 240, 3300, 1335, 255);
    WSite = link(u"WSite"_s, texts.webSiteCaption, kWebSite, 3300);

    Ok = new QPushButton(u"OK"_s, this);
    Ok->setObjectName(u"Ok"_s);
    Ok->setGeometry(ui::twipsRect(4080, 3750, 1200, 375));
    Ok->setDefault(true);
    connect(Ok, &QPushButton::clicked, this, [this] { Ok_Click(); });

    setFixedSize(ui::twipsToPixels(kWidth), ui::twipsToPixels(kHeight));
}

bool frmabout::ShellEx(const std::string& sFile, std::int32_t eShowCmd,
                       const std::string& sParameters, const std::string& sDefaultDir,
                       std::string& sOperation, std::int32_t& Owner) {
    std::optional<ShellFailure> failure;
    const bool ok = subclass::ShellEx(*shell_, library_.toStdString(), sFile, eShowCmd, sParameters,
                                      sDefaultDir, sOperation, Owner, failure);
    failure_ = std::move(failure);
    return ok;
}

void frmabout::openLink(const QLabel* link) {
    std::string operation = "open";
    std::int32_t owner = 0;
    // Whether it opened is not looked at: the box stays as it is either way.
    ShellEx(link->property("Tag").toString().toStdString(), SW_SHOWDEFAULT, {}, {}, operation,
            owner);
}

void frmabout::Feedback_Click() { openLink(Feedback); }
void frmabout::Info_Click() { openLink(Info); }
void frmabout::Support_Click() { openLink(Support); }
void frmabout::WSite_Click() { openLink(WSite); }
void frmabout::Ok_Click() { done(QDialog::Accepted); }

bool frmabout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Feedback) Feedback_Click();
        if (watched == Info) Info_Click();
        if (watched == Support) Support_Click();
        if (watched == WSite) WSite_Click();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace subclass
