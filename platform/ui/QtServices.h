#pragma once
// ui::Services on the desktop: QMessageBox, QFileDialog, the application's
// override cursor, QCoreApplication::processEvents, QDesktopServices, and
// QPageSetupDialog and QPrintPreviewDialog on the program's one QPrinter.
#include <QPointer>
#include <QWidget>
#include <memory>

#include "ui/Services.h"

class QPrinter;

namespace ui {

class QtServices : public Services {
public:
    // Boxes and dialogs are owned by `dialogParent` when one is set, else by the
    // active window; while no window is active (the window system has not yet
    // given a window back its activation after a dialog closed), by the window
    // that owned the last box or dialog, as long as it is shown.
    explicit QtServices(QString programTitle, QWidget* dialogParent = nullptr);
    ~QtServices() override;

    void setDialogParent(QWidget* parent) { parent_ = parent; }

    [[nodiscard]] std::optional<QString> ShowOpen(const FileDialog& dialog) override;
    [[nodiscard]] std::optional<QString> ShowSave(const FileDialog& dialog) override;
    void DoEvents() override;
    [[nodiscard]] bool OpenWithDesktop(const QString& fileOrAddress) override;
    [[nodiscard]] std::optional<report::PageFormat> ShowPageSetup(
        const report::PageFormat& current) override;
    void ShowPreview(const report::Document& document, const ImageLookup* images) override;

    // The program's printer: every report is printed on it, and the page
    // set-up dialog sets it up. Made at first use.
    [[nodiscard]] QPrinter& printer();

protected:
    Answer showMessage(const Message& message) override;
    void pushBusy() override;
    void popBusy() override;

private:
    // The owner of the next box or dialog, kept as the last one.
    [[nodiscard]] QWidget* parentWidget();
    [[nodiscard]] std::optional<QString> runDialog(const FileDialog& dialog, bool save);

    QPointer<QWidget> parent_;
    QPointer<QWidget> lastOwner_;
    int busy_ = 0;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace ui
