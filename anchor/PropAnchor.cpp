#include "anchor/PropAnchor.h"

namespace anchor {

void PropAnchor::selectItem(std::int32_t index) {
    listIndex_ = index >= 0 && index < ListCount() ? index : -1;
    List_Click();
}

void PropAnchor::PropertyPage_SelectionChanged() {
    list_.clear();
    listIndex_ = -1;
    // Entries of an earlier selection never reach this one's apply.
    entries_.clear();
    if (SelectedControls.empty() || !SelectedControls.front()) return;
    const std::string text = SelectedControls.front()->Anchorit();
    if (text.empty()) return;
    entries_ = parseAnchorText(text);
    // A text with no complete entry shows one empty item.
    if (entries_.empty()) entries_.emplace_back();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        list_.push_back({entries_[i].Key, static_cast<std::int32_t>(i)});
    if (ListCount() > 0) selectItem(0);
}

void PropAnchor::PropertyPage_ApplyChanges() {
    std::string text;
    for (const TAnchorPageEntry& e : entries_)
        text += anchorEntryText(e.Key, e.AnchorLeft, e.AnchorTop, e.AnchorRight, e.AnchorBottom);
    if (SelectedControls.empty() || !SelectedControls.front()) return;
    SelectedControls.front()->setAnchorit(text);
}

void PropAnchor::List_Click() {
    if (SelCount() <= 0) return;
    const std::int32_t at = list_[static_cast<std::size_t>(listIndex_)].itemData;
    if (at < 0 || at >= static_cast<std::int32_t>(entries_.size())) return;
    const TAnchorPageEntry& e = entries_[static_cast<std::size_t>(at)];
    auto colour = [](const std::string& flag) { return flag == "1" ? kAnchored : kFree; };
    ALeft = colour(e.AnchorLeft);
    ATop = colour(e.AnchorTop);
    ARight = colour(e.AnchorRight);
    ABottom = colour(e.AnchorBottom);
}

void PropAnchor::toggle(std::uint32_t& bar, std::string TAnchorPageEntry::*flag) {
    if (SelCount() == 0) return;
    const std::int32_t at = list_[static_cast<std::size_t>(listIndex_)].itemData;
    if (at < 0 || at >= static_cast<std::int32_t>(entries_.size())) return;
    TAnchorPageEntry& e = entries_[static_cast<std::size_t>(at)];
    // The bar's colour is the state toggled; the flag follows it.
    if (bar == kFree) {
        bar = kAnchored;
        e.*flag = "1";
    } else {
        bar = kFree;
        e.*flag = "0";
    }
    Changed = true;
}

void PropAnchor::ALeft_Click() { toggle(ALeft, &TAnchorPageEntry::AnchorLeft); }
void PropAnchor::ATop_Click() { toggle(ATop, &TAnchorPageEntry::AnchorTop); }
void PropAnchor::ARight_Click() { toggle(ARight, &TAnchorPageEntry::AnchorRight); }
void PropAnchor::ABottom_Click() { toggle(ABottom, &TAnchorPageEntry::AnchorBottom); }

}  // namespace anchor
