#pragma once
// The whole tool (session, windows, bindings) with recorded message boxes and
// sounds and its settings file in a temporary folder: the common start of the
// widget and end-to-end tests.
#include "support/Fakes.h"

#include "app/main/AppAssembly.h"

#include <QTemporaryDir>

namespace zovax::test {

struct ToolFixture {
    QTemporaryDir dir;
    FakePrompts prompts;
    FakeSounds sounds;
    ToolHandle w;

    QString iniPath() const { return dir.filePath(QStringLiteral("tool.ini")); }
    // Creates the tool; not shown, not connected.
    void createTool()
    {
        MainWindowOptions o;
        o.settingsPath = iniPath();
        o.prompts = &prompts;
        o.sounds = &sounds;
        w = createAppWindows(o);
    }
};

} // namespace zovax::test
