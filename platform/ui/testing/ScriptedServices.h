#pragma once
// ui::Services for tests: every message box, file dialog, page set-up and
// print preview must have been announced with its answer, in order. A box or dialog that was not
// expected, or differs from the next one expected, fails the current test (and gets the answer of
// closing it; a differing one uses up that expectation); expectations left over fail the test when
// the object goes away. Everything shown is kept for later checks.
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/Services.h"

namespace ui::testing {

struct ExpectedBox {
    QString text;
    Buttons buttons = Buttons::OkOnly;
    Icon icon = Icon::None;
    QString title;  // empty: the program's title
    Answer answer = Answer::Ok;
    // Runs while the box is "shown", before it is answered: a test's look at
    // the window in the middle of its work.
    std::function<void()> whileShown;
};

struct ExpectedDialog {
    bool save = false;
    FileDialog dialog;
    std::optional<QString> answer;  // nothing: the user cancels
};

struct ExpectedPreview {
    // Runs while the preview is "open": a test's look at the report shown.
    std::function<void(const report::Document&)> whileShown;
};

class ScriptedServices : public Services {
public:
    explicit ScriptedServices(QString programTitle) : Services(std::move(programTitle)) {}
    ~ScriptedServices() override;

    void expectBox(ExpectedBox box) { boxes_.push_back(std::move(box)); }
    void expectOpen(FileDialog dialog, std::optional<QString> answer) {
        dialogs_.push_back(ExpectedDialog{false, std::move(dialog), std::move(answer)});
    }
    void expectSave(FileDialog dialog, std::optional<QString> answer) {
        dialogs_.push_back(ExpectedDialog{true, std::move(dialog), std::move(answer)});
    }
    // The page set-up dialog: `answer` is what the user chooses, nothing for Cancel.
    void expectPageSetup(std::optional<report::PageFormat> answer) {
        pageSetups_.push_back(std::move(answer));
    }
    void expectPreview(ExpectedPreview preview = {}) { previews_.push_back(std::move(preview)); }
    // Fails the current test for every expectation not met yet, then forgets them.
    void verify();

    [[nodiscard]] const std::vector<Message>& shown() const { return shown_; }
    [[nodiscard]] const std::vector<FileDialog>& dialogsShown() const { return dialogsShown_; }
    [[nodiscard]] int busyDepth() const { return busy_; }
    [[nodiscard]] int doEventsCalls() const { return doEvents_; }
    [[nodiscard]] const std::vector<QString>& openedWithDesktop() const { return opened_; }
    void setOpenWithDesktopResult(bool ok) { openResult_ = ok; }
    // The format each page set-up dialog was opened with, and each report shown.
    [[nodiscard]] const std::vector<report::PageFormat>& pageSetupsShown() const {
        return pageSetupsShown_;
    }
    [[nodiscard]] const std::vector<report::Document>& previewsShown() const {
        return previewsShown_;
    }

    [[nodiscard]] std::optional<QString> ShowOpen(const FileDialog& dialog) override;
    [[nodiscard]] std::optional<QString> ShowSave(const FileDialog& dialog) override;
    void DoEvents() override { ++doEvents_; }
    [[nodiscard]] bool OpenWithDesktop(const QString& fileOrAddress) override;
    [[nodiscard]] std::optional<report::PageFormat> ShowPageSetup(
        const report::PageFormat& current) override;
    void ShowPreview(const report::Document& document, const ImageLookup* images) override;

protected:
    Answer showMessage(const Message& message) override;
    void pushBusy() override { ++busy_; }
    void popBusy() override { --busy_; }

private:
    std::optional<QString> dialog(const FileDialog& dialog, bool save);

    std::deque<ExpectedBox> boxes_;
    std::deque<ExpectedDialog> dialogs_;
    std::vector<Message> shown_;
    std::vector<FileDialog> dialogsShown_;
    std::vector<QString> opened_;
    std::deque<std::optional<report::PageFormat>> pageSetups_;
    std::deque<ExpectedPreview> previews_;
    std::vector<report::PageFormat> pageSetupsShown_;
    std::vector<report::Document> previewsShown_;
    int busy_ = 0;
    int doEvents_ = 0;
    bool openResult_ = true;
};

// Readable forms for failure messages.
[[nodiscard]] std::string describe(const Message& message);
[[nodiscard]] std::string describe(const FileDialog& dialog);

}  // namespace ui::testing
