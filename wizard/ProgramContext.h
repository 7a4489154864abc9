#pragma once
// What the comparison program lends its windows. The program keeps it, the
// services and the print preview alive until its event loop has ended. Tests
// fill it with their own services, engines and places.
#include <chrono>
#include <functional>
#include <string>

#include "report/Document.h"
#include "ui/Services.h"
#include "wizard/CompareSession.h"

namespace wizard {

struct ProgramContext {
    ProgramContext(ui::Services& s, report::Document& p) : services(s), preview(p) {}

    ui::Services& services;
    // MyPreview: the one print preview every report of the program is built on.
    report::Document& preview;
    // The program's folder: the help page "Parabase1.html" and the report
    // bitmaps ("Main Images", "Detail Images") are there.
    std::string programFolder;
    // The per-user settings file (Parabase.ini); empty: no folder is remembered.
    std::string settingsFile;
    // The source named by the shell's failures.
    std::string programName = "parabase1";
    // The data-access layer's version text (throws when the layer is missing);
    // empty: the project's own layer.
    std::function<std::string()> dataAccessVersion;
    // Fresh engines and the test connection; empty: the real ones.
    CompareSession::EngineFactory makeEngine;
    CompareSession::ConnectionTest testConnection;
    // Ends the program; empty: the application's event loop is told to end.
    std::function<void()> endProgram;
    // A comparison lets window events run at most this often, so that
    // drawing the log and the progress never costs more than the comparison.
    std::chrono::milliseconds yieldInterval{20};
};

}  // namespace wizard
