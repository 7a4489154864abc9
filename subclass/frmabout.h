#pragma once
// frmabout: the about box of the two layout control libraries: the control's
// name and version, a product-family line, two notice lines and four contact
// links. A click on a link opens its target (its Tag) through ShellEx; a
// target that cannot be opened leaves the box as it is, with no message.
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "subclass/ShellEx.h"

namespace host::qt {
class Shape;
}

namespace subclass {

// What differs between the libraries' boxes.
struct AboutTexts {
    QString library;         // the failure records' source: "Bollard2"
    QString caption;         // the window's caption
    QString controlName;     // "Orvel! Anchor Control"
    QString webSiteCaption;  // the web site link as shown
    [[nodiscard]] static AboutTexts anchor();
    [[nodiscard]] static AboutTexts resizer();
};

// The desktop's shell: opens addresses and existing files with the desktop's
// program for them (QDesktopServices); result codes as the shell gives them.
class DesktopShell : public Shell {
public:
    std::int32_t ShellExecute(std::int32_t owner, const std::string& operation,
                              const std::string& file, const std::string& parameters,
                              const std::string& directory, std::int32_t showCmd) override;
};

class frmabout : public QDialog {
public:
    // `shell` must outlive the box; nothing: the desktop's.
    explicit frmabout(const AboutTexts& texts, QWidget* parent = nullptr, Shell* shell = nullptr);

    QGroupBox* Version;
    QLabel* ControlName;
    QLabel* Build;
    QLabel* SubControlName;
    QLabel* Label6;
    QLabel* Label8;
    host::qt::Shape* Shape1;
    QLabel* Label11;
    QLabel* Feedback;
    QLabel* Label9;
    QLabel* Info;
    QLabel* Label7;
    QLabel* Support;
    QLabel* Label5;
    QLabel* WSite;
    QPushButton* Ok;

    // Opens `sFile` with the verb `sOperation`; true on success. A failure
    // leaves its record (lastFailure) and raises nothing.
    bool ShellEx(const std::string& sFile, std::int32_t eShowCmd, const std::string& sParameters,
                 const std::string& sDefaultDir, std::string& sOperation, std::int32_t& Owner);
    [[nodiscard]] const std::optional<ShellFailure>& lastFailure() const { return failure_; }

    void Feedback_Click();
    void Info_Click();
    void Support_Click();
    void WSite_Click();
    void Ok_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openLink(const QLabel* link);

    QString library_;
    Shell* shell_;
    std::optional<ShellFailure> failure_;
};

}  // namespace subclass
