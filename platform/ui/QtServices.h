#pragma once
// ui::Services on the desktop: QMessageBox, QFileDialog, the application's
// override cursor, QCoreApplication::processEvents and QDesktopServices.
#include <QPointer>
#include <QWidget>

#include "ui/Services.h"

namespace ui {

class QtServices : public Services {
public:
    // Boxes and dialogs are owned by `dialogParent` when one is set, else by the
    // active window.
    explicit QtServices(QString programTitle, QWidget* dialogParent = nullptr);
    ~QtServices() override;

    void setDialogParent(QWidget* parent) { parent_ = parent; }

    [[nodiscard]] std::optional<QString> ShowOpen(const FileDialog& dialog) override;
    [[nodiscard]] std::optional<QString> ShowSave(const FileDialog& dialog) override;
    void DoEvents() override;
    [[nodiscard]] bool OpenWithDesktop(const QString& fileOrAddress) override;

protected:
    Answer showMessage(const Message& message) override;
    void pushBusy() override;
    void popBusy() override;

private:
    [[nodiscard]] QWidget* parentWidget() const;
    [[nodiscard]] std::optional<QString> runDialog(const FileDialog& dialog, bool save);

    QPointer<QWidget> parent_;
    int busy_ = 0;
};

}  // namespace ui
