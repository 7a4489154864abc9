#pragma once
// What the compare run needs of the wizard window: the compare log, the
// current-object box, the progress bar, the Compare button, message boxes and
// yielding. The window implements it; tests record it.
#include <cstdint>
#include <string>

namespace wizard {

// Message box icons, numbered as the window's boxes know them.
enum class BoxIcon { Critical = 16, Information = 64 };

class CompareView {
public:
    virtual ~CompareView() = default;

    // The whole text of the log replaced, or `text` added at its end; line
    // ends are part of the text (CR LF).
    virtual void SetLog(const std::string& text) = 0;
    virtual void AppendLog(const std::string& text) = 0;
    // The current-object box (ProcessLabel).
    virtual void SetProcessLabel(const std::string& text) = 0;
    // The progress bar: the maximum is always set before the value.
    virtual void SetProgressMaximum(int32_t maximum) = 0;
    virtual void SetProgressValue(int32_t value) = 0;
    virtual void SetCompareEnabled(bool enabled) = 0;
    // The engine was replaced and its result dropped: what the results page
    // shows of it must go.
    virtual void ResultsDropped() = 0;
    // A modal box with OK alone.
    virtual void MsgBox(const std::string& text, BoxIcon icon, const std::string& title) = 0;
    // Lets pending window events run once; any handler of the window may run
    // inside it, the session's own included.
    virtual void DoEvents() = 0;
};

}  // namespace wizard
