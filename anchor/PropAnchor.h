#pragma once
// PropAnchor, the property page of QAnchor, without its window: the page's own
// copy of the anchor list's entries, the list of keys (each item's ItemData the
// position of its entry), the four edge bars' colours and the Changed flag. It
// reads the text from the first selected control's Anchorit and writes a
// rebuilt text back on apply; it never touches the control's records.
// PropAnchorPage (PropAnchorPage.h) shows it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "anchor/AnchorList.h"

namespace anchor {

class PropAnchor {
public:
    // A control the page edits, reached by its design-time property Anchorit.
    class Target {
    public:
        Target() = default;
        virtual ~Target() = default;
        Target(const Target&) = delete;
        Target& operator=(const Target&) = delete;
        [[nodiscard]] virtual std::string Anchorit() = 0;
        virtual void setAnchorit(const std::string& value) = 0;
    };

    struct ListItem {
        std::string text;
        std::int32_t itemData = 0;
        friend bool operator==(const ListItem&, const ListItem&) = default;
    };

    // A bar's BackColor: the system colour of button shadows means anchored,
    // white means free.
    static constexpr std::uint32_t kAnchored = 0x80000010u;
    static constexpr std::uint32_t kFree = 0xFFFFFFu;

    // What the page edits; only the first is read or written.
    std::vector<std::shared_ptr<Target>> SelectedControls;
    // Set when there is something to apply.
    bool Changed = false;

    // The list box: items and the selected one (-1 none).
    [[nodiscard]] const std::vector<ListItem>& List() const { return list_; }
    [[nodiscard]] std::int32_t ListIndex() const { return listIndex_; }
    [[nodiscard]] std::int32_t ListCount() const { return static_cast<std::int32_t>(list_.size()); }
    [[nodiscard]] std::int32_t SelCount() const { return listIndex_ >= 0 ? 1 : 0; }
    // The list box selects an item, and raises its click as a list box does.
    void selectItem(std::int32_t index);

    // The edge bars' BackColor.
    std::uint32_t ALeft = kFree;
    std::uint32_t ATop = kFree;
    std::uint32_t ARight = kFree;
    std::uint32_t ABottom = kFree;

    [[nodiscard]] const std::vector<TAnchorPageEntry>& entries() const { return entries_; }

    // The design environment's events.
    void PropertyPage_SelectionChanged();
    void PropertyPage_ApplyChanges();
    void List_Click();
    void ALeft_Click();
    void ATop_Click();
    void ARight_Click();
    void ABottom_Click();

private:
    void toggle(std::uint32_t& bar, std::string TAnchorPageEntry::*flag);

    std::vector<ListItem> list_;
    std::int32_t listIndex_ = -1;
    std::vector<TAnchorPageEntry> entries_;
};

}  // namespace anchor
