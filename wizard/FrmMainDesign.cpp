#include "wizard/FrmMainDesign.h"

#include <vector>

namespace wizard::design {

namespace {

std::vector<AnchorEntry> makeEntries() {
    std::vector<AnchorEntry> entries;
    auto add = [&](std::string_view flags, std::initializer_list<std::string_view> controls) {
        for (std::string_view c : controls) entries.push_back({c, flags});
    };
    add("1111", {"Page(0)", "Page(1)", "Page(2)", "Page(3)", "Page(4)", "LabelWelcome", "DDBFRame",
                 "MGrid", "CFrame", "TxtDetail"});
    add("1101", {"OFrame"});
    add("1110", {"PTop",      "CLabel1", "CLabel2",    "HeaderTop", "SDBFrame",     "SDBPath",
                 "SWFPath",   "SUName",  "SPassword",  "DDBPath",   "DWFPath",      "DUName",
                 "DPassword", "CTable",  "CIndex",     "CKey",      "CProcedure",   "CView",
                 "CUser",     "CGroup",  "SFRame",     "DObject",   "IIncSeed",     "SAIncrement",
                 "CISeed",    "CMatch",  "CDescLabel", "CompFrame", "ProcessLabel", "PBar",
                 "TBar"});
    add("1100", {"SBar",   "Bar",    "Label1", "Label2",   "Label3",    "Label4",  "Label5",
                 "Label6", "Label7", "Label8", "SDBLabel", "CompLabel", "MenuPop", "VD",
                 "S1",     "SFS",    "UnSFS",  "MGridImg", "Dlg",       "Anchor"});
    add("1011", {"HeaderBottom"});
    add("1001", {"CmdHelp", "CmdAbout", "CmdLoad", "CmdSave", "CmdPrinterSetup"});
    add("0011", {"CmdBack", "CmdNext", "CmdExit"});
    add("0110", {"WizardImage", "SDBOpen", "SWFOpen", "DDBOpen", "DWFOpen", "CmdPrint"});
    add("0100", {"CmdCompare"});
    return entries;
}

}  // namespace

const std::vector<AnchorEntry>& AnchorEntries() {
    static const std::vector<AnchorEntry> entries = makeEntries();
    return entries;
}

std::string_view AnchorFlags(std::string_view control) {
    for (const AnchorEntry& e : AnchorEntries())
        if (e.control == control) return e.flags;
    return "1100";
}

std::string AnchorList() {
    std::string list;
    for (const AnchorEntry& e : AnchorEntries()) {
        list += e.control;
        list += '\n';
        list += e.flags;
        list += '\n';
    }
    return list;
}

}  // namespace wizard::design
