#pragma once
// What every window needs of the desktop, behind one interface so that tests
// can answer it: message boxes, open and save dialogs, the busy pointer,
// yielding to pending events, opening a file or address with the desktop, the
// page set-up dialog and the print preview of a report.
// QtServices (QtServices.h) shows them for real; ui::testing::ScriptedServices
// answers them from a test's script. Everything runs on the GUI thread.
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "report/Document.h"

namespace ui {

class ImageLookup;

// Button sets, icons and answers of a message box, numbered as the forms knew them.
enum class Buttons {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum class Icon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// What closing a box without pressing a button answers: its Cancel, No or
// Abort, or OK for a box with OK alone.
[[nodiscard]] Answer closedAnswer(Buttons buttons);

// One message box as it is shown: the title is never empty.
struct Message {
    QString text;
    Buttons buttons = Buttons::OkOnly;
    Icon icon = Icon::None;
    QString title;
};

// Flags of a file dialog, with the common dialog's values.
namespace dlg {
inline constexpr unsigned OverwritePrompt = 0x2;  // save: ask before replacing a file
inline constexpr unsigned HideReadOnly = 0x4;     // no read-only check box (Qt has none)
inline constexpr unsigned PathMustExist = 0x800;
inline constexpr unsigned FileMustExist = 0x1000;  // open: only an existing file
}  // namespace dlg

struct FileDialog {
    QString title;
    // Pairs of description and patterns, each ended by "|":
    // "Parabase script file (*.psx)|*.psx|All files|*.*|"; patterns within a
    // pair are separated by ";".
    QString filter;
    QString initialFolder;  // empty: the platform's choice
    QString fileName;       // the name offered at the start
    unsigned flags = 0;     // dlg::*

    friend bool operator==(const FileDialog&, const FileDialog&) = default;
};

class Services {
public:
    explicit Services(QString programTitle) : programTitle_(std::move(programTitle)) {}
    virtual ~Services() = default;
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    // The title of boxes that bring none of their own ("Batchrun1").
    [[nodiscard]] const QString& programTitle() const { return programTitle_; }

    // A modal message box; an empty title gives the program's title. Returns the
    // button chosen (closing the box answers as its Cancel or No would).
    Answer MsgBox(const QString& text, Buttons buttons = Buttons::OkOnly, Icon icon = Icon::None,
                  const QString& title = {});

    // The file chosen, or nothing when the user cancelled.
    [[nodiscard]] virtual std::optional<QString> ShowOpen(const FileDialog& dialog) = 0;
    [[nodiscard]] virtual std::optional<QString> ShowSave(const FileDialog& dialog) = 0;

    // Lets pending window events run once. The caller guards against re-entry.
    virtual void DoEvents() = 0;

    // Opens a file or an address with the desktop's program for it; false when
    // the desktop could not.
    [[nodiscard]] virtual bool OpenWithDesktop(const QString& fileOrAddress) = 0;

    // The page set-up dialog of the program's printer, opened with `current`:
    // the paper, orientation and margins chosen, or nothing when cancelled.
    [[nodiscard]] virtual std::optional<report::PageFormat> ShowPageSetup(
        const report::PageFormat& current) = 0;

    // Shows a finished report in the print preview, from which the user prints
    // it on the program's printer; returns when the preview is closed. Pictures
    // whose files are missing come from `images` (may be null).
    virtual void ShowPreview(const report::Document& document, const ImageLookup* images) = 0;

protected:
    virtual Answer showMessage(const Message& message) = 0;
    // The busy pointer, counted: shown while the count is above zero.
    virtual void pushBusy() = 0;
    virtual void popBusy() = 0;

private:
    friend class BusyPointer;
    QString programTitle_;
};

// The busy (hourglass) pointer for the whole program while this object lives;
// nests, and is taken back on every exit path.
class BusyPointer {
public:
    explicit BusyPointer(Services& services) : services_(services) { services_.pushBusy(); }
    ~BusyPointer() { services_.popBusy(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    Services& services_;
};

// The entries of a "Description|patterns|…" filter; a trailing description
// without patterns is dropped.
struct FilterEntry {
    QString description;
    QStringList patterns;

    friend bool operator==(const FilterEntry&, const FilterEntry&) = default;
};
[[nodiscard]] std::vector<FilterEntry> parseFilter(const QString& filter);

// The same filter as Qt's name filters ("Description (*.a *.b)"): a description
// that already ends with its patterns in parentheses is kept as it stands.
[[nodiscard]] QStringList qtNameFilters(const QString& filter);

}  // namespace ui
