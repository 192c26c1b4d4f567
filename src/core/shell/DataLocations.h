#pragma once
// Where the tool keeps its settings file and its table files. Beside the
// executable while that folder is writable (a build tree, a portable copy);
// otherwise, as for an installed system executable, in the user's own
// configuration folder. The window tool and the command-line tool apply the
// same rule, so that both read the same settings file.
#include <QString>

namespace zovax {

// Base name of the shared settings file ("zovax-ether.ini").
inline constexpr char kProgramBaseName[] = "zovax-ether";

struct DataLocations {
    QString settingsPath; // the INI file
    QString tableFolder;  // the folder offered for table files ("Dat")
    bool besideProgram = false;
};

// Whether the current user may create files in `folder`, judged by the
// permission bits for the user's class (owner, group or other), so that the
// super-user's override does not make a system folder count as the user's.
bool folderWritable(const QString& folder);

// The rule itself: `programFolder` holds the executable, `baseName` is the
// settings file's base name, `userFolder` the per-user fallback.
DataLocations dataLocationsFor(const QString& programFolder, const QString& baseName, const QString& userFolder);

// The per-user fallback folder: <generic configuration folder>/zovax-ether.
QString userDataFolder();

// The rule for a running executable: settings named after the executable
// (its path with ".ini"), fallback in userDataFolder().
DataLocations dataLocationsForExecutable(const QString& executablePath);

} // namespace zovax
