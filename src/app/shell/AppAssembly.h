#pragma once
// Creates the program's windows once, in the start-up order: main window,
// firmware update, network settings, registration, wave data list, wave
// information editor, message box; and binds them together.
#include "app/shell/MainWindow.h"

#include <memory>

namespace zovax {

std::unique_ptr<MainWindow> createAppWindows(const MainWindowOptions& options = {});

// Process settings made before the QApplication exists: Qt's own event
// dispatcher instead of the GLib one. The tool needs no GLib integration, and
// the plain dispatcher wakes up less often per socket event, which shortens
// every command-and-reply round trip with the board.
void prepareApplicationEnvironment();

// The visual theme ("Aqua Light Slate": a light slate-blue palette on the Fusion style)
// and the application's font; called once before the windows are created.
void applyTheme();

} // namespace zovax
