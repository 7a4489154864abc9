#include "ui/QtServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QUrl>

#include "ui/ReportRenderer.h"

using namespace Qt::StringLiterals;

namespace ui {

namespace {

QMessageBox::StandardButtons standardButtons(Buttons b) {
    switch (b) {
        case Buttons::OkOnly:
            return QMessageBox::Ok;
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(Icon i) {
    switch (i) {
        case Icon::None:
            return QMessageBox::NoIcon;
        case Icon::Critical:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

Answer answerOf(int button, Buttons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Abort:
            return Answer::Abort;
        case QMessageBox::Retry:
            return Answer::Retry;
        case QMessageBox::Ignore:
            return Answer::Ignore;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return closedAnswer(buttons);
    }
}

// While busy, boxes and dialogs still get the ordinary arrow.
class ArrowWhileShown {
public:
    explicit ArrowWhileShown(bool busy) : busy_(busy) {
        if (busy_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileShown() {
        if (busy_) QApplication::restoreOverrideCursor();
    }
    ArrowWhileShown(const ArrowWhileShown&) = delete;
    ArrowWhileShown& operator=(const ArrowWhileShown&) = delete;

private:
    bool busy_;
};

}  // namespace

QtServices::QtServices(QString programTitle, QWidget* dialogParent)
    : Services(std::move(programTitle)), parent_(dialogParent) {}

QtServices::~QtServices() {
    // A pointer left busy by a caller that outlived us must not stay stuck.
    while (busy_ > 0) popBusy();
}

QWidget* QtServices::parentWidget() {
    if (parent_) return parent_;
    if (QWidget* active = QApplication::activeWindow()) {
        lastOwner_ = active;
        return active;
    }
    // A box right after a dialog (the configuration's "replace it?" after its
    // save dialog) opens over the dialog's window, not alone in the middle
    // of the screen.
    if (lastOwner_ && lastOwner_->isVisible()) return lastOwner_;
    return nullptr;
}

Answer QtServices::showMessage(const Message& message) {
    // Texts come with CR LF line breaks and may hold "<" (statements): shown plain.
    QString text = message.text;
    text.replace(u"\r\n"_s, u"\n"_s);
    QMessageBox box(messageIcon(message.icon), message.title, text,
                    standardButtons(message.buttons), parentWidget());
    box.setTextFormat(Qt::PlainText);
    const ArrowWhileShown arrow(busy_ > 0);
    return answerOf(box.exec(), message.buttons);
}

std::optional<QString> QtServices::runDialog(const FileDialog& request, bool save) {
    QFileDialog dialog(parentWidget(), request.title, request.initialFolder);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && (request.flags & dlg::FileMustExist) ? QFileDialog::ExistingFile
                                                                     : QFileDialog::AnyFile);
    if (save && !(request.flags & dlg::OverwritePrompt))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    {
        const ArrowWhileShown arrow(busy_ > 0);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

std::optional<QString> QtServices::ShowOpen(const FileDialog& dialog) {
    return runDialog(dialog, false);
}

std::optional<QString> QtServices::ShowSave(const FileDialog& dialog) {
    return runDialog(dialog, true);
}

void QtServices::DoEvents() { QCoreApplication::processEvents(); }

bool QtServices::OpenWithDesktop(const QString& fileOrAddress) {
    const QFileInfo info(fileOrAddress);
    const QUrl url = info.exists() ? QUrl::fromLocalFile(info.absoluteFilePath())
                                   : QUrl::fromUserInput(fileOrAddress);
    return url.isValid() && QDesktopServices::openUrl(url);
}

QPrinter& QtServices::printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

std::optional<report::PageFormat> QtServices::ShowPageSetup(const report::PageFormat& current) {
    QPrinter& p = printer();
    (void)p.setPageLayout(qtPageLayout(current));
    QPageSetupDialog dialog(&p, parentWidget());
    const ArrowWhileShown arrow(busy_ > 0);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return pageFormatOf(p.pageLayout());
}

void QtServices::ShowPreview(const report::Document& document, const ImageLookup* images) {
    const std::unique_ptr<QPrintPreviewDialog> dialog(
        makePreviewDialog(document, printer(), images, parentWidget()));
    const ArrowWhileShown arrow(busy_ > 0);
    dialog->exec();
}

void QtServices::pushBusy() {
    ++busy_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtServices::popBusy() {
    if (busy_ == 0) return;
    --busy_;
    if (qApp) QApplication::restoreOverrideCursor();
}

}  // namespace ui
