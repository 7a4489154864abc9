// Parabase1: the comparison program. It reads no command line; its main
// window is the wizard. The program ends when the main window closes (Exit or
// its close box), and the script and detail windows with it.
#include <QApplication>
#include <QFileInfo>
#include <QPrinter>

#include "ui/QtServices.h"
#include "ui/ReportRenderer.h"
#include "wizard/FrmMain.h"
#include "wizard/LastUsedPath.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString title = QString::fromLatin1(wizard::kProgramTitle);
    QApplication::setApplicationName(QStringLiteral("parabase1"));
    ui::QtServices services(title);
    ui::QtTextMetrics metrics;
    report::Document preview(metrics);
    preview.PageFormat(ui::pageFormatOf(services.printer().pageLayout()));
    wizard::ProgramContext context(services, preview);
    context.programFolder = QCoreApplication::applicationDirPath().toStdString();
    context.settingsFile = wizard::DefaultSettingsFile();
    context.programName =
        QFileInfo(QCoreApplication::applicationFilePath()).baseName().toStdString();

    wizard::FrmMain window(context);
    if (window.Ended()) return 1;
    window.show();
    return QApplication::exec();
}
