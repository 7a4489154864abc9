#include "wizard/OptionRules.h"

#include <stdexcept>
#include <string>

#include "engine/CCAccess.h"

namespace wizard {

std::string_view OptionBoxName(OptionBox box) {
    switch (box) {
        case OptionBox::CMatch:
            return "CMatch";
        case OptionBox::CISeed:
            return "CISeed";
        case OptionBox::CTable:
            return "CTable";
        case OptionBox::CGroup:
            return "CGroup";
        case OptionBox::CUser:
            return "CUser";
        case OptionBox::CView:
            return "CView";
        case OptionBox::CProcedure:
            return "CProcedure";
        case OptionBox::CKey:
            return "CKey";
        case OptionBox::CIndex:
            return "CIndex";
        case OptionBox::DObject:
            return "DObject";
        case OptionBox::IIncSeed:
            return "IIncSeed";
        case OptionBox::SAIncrement:
            return "SAIncrement";
    }
    return {};
}

OptionRules::OptionRules() {
    for (OptionBox box :
         {OptionBox::CTable, OptionBox::CGroup, OptionBox::CUser, OptionBox::CView,
          OptionBox::CProcedure, OptionBox::CKey, OptionBox::CIndex, OptionBox::SAIncrement})
        values_[index(box)] = kChecked;
}

void OptionRules::SetValue(OptionBox box, int16_t value) {
    if (value != kUnchecked && value != kChecked && value != kGrayed)
        throw std::invalid_argument("a check box takes 0, 1 or 2, not " + std::to_string(value));
    if (values_[index(box)] == value) return;
    values_[index(box)] = value;
    if (valueChanged_) valueChanged_(box, value);
    Click(box);
}

void OptionRules::Click(OptionBox box) {
    using enum OptionBox;
    switch (box) {
        case CTable:
            if (Value(CTable) == kChecked) {
                if (Value(CIndex) == kUnchecked) SetValue(CIndex, kChecked);
                if (Value(CKey) == kUnchecked) SetValue(CKey, kChecked);
            } else {
                SetValue(CIndex, kUnchecked);
                SetValue(CKey, kUnchecked);
            }
            break;
        case CIndex:
            if (Value(CIndex) == kChecked && Value(CTable) == kUnchecked)
                SetValue(CTable, kChecked);
            break;
        case CKey:
            if (Value(CKey) == kChecked && Value(CTable) == kUnchecked) SetValue(CTable, kChecked);
            break;
        case CISeed:
            if (Value(CISeed) == kUnchecked) SetValue(IIncSeed, kUnchecked);
            break;
        case CProcedure:
        case CView:
        case CUser:
        case CGroup:
        case CMatch:
            break;
        case DObject:
        case IIncSeed:
        case SAIncrement:
            // The scripting boxes have no Click: they never invalidate.
            return;
    }
    if (invalidate_) invalidate_();
}

void ApplyCompareOptions(engine::CCAccess& engine, const OptionRules& options) {
    using enum OptionBox;
    engine.IncludeTables(options.IsOn(CTable));
    engine.IncludeIndexes(options.IsOn(CIndex));
    engine.IncludeKeys(options.IsOn(CKey));
    engine.IncludeProcedures(options.IsOn(CProcedure));
    engine.IncludeViews(options.IsOn(CView));
    engine.IncludeUsers(options.IsOn(CUser));
    engine.IncludeGroups(options.IsOn(CGroup));
    engine.MatchColumns(options.IsOn(CMatch));
    engine.CompareIncrementAndSeed(options.IsOn(CISeed));
}

void ApplyScriptOptions(engine::CCAccess& engine, const OptionRules& options) {
    using enum OptionBox;
    engine.IncludeIncrementAndSeed(options.IsOn(IIncSeed));
    engine.SkipAutoIncrementColumns(options.IsOn(SAIncrement));
    engine.DropOppositeObjects(options.IsOn(DObject));
    engine.CompareIncrementAndSeed(options.IsOn(CISeed));
}

}  // namespace wizard
