// Batchrun1: the script runner's window; it reads no command line and keeps no
// settings.
#include <QApplication>

#include "runner/FrmMain.h"
#include "ui/QtServices.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString title = QString::fromUtf16(runner::kProgramTitle);
    QApplication::setApplicationName(title);
    ui::QtServices services(title);
    runner::FrmMain window(services);
    services.setDialogParent(&window);
    window.show();
    return QApplication::exec();
}
