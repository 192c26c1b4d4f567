// Where the settings file and the table folder live: beside the program while
// its folder is writable, else in the user's folder.
#include "core/shell/DataLocations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zovax;

TEST(DataLocations, BesideAWritableProgramFolderElseInTheUserFolder)
{
    QTemporaryDir tmp;
    const QString writable = tmp.filePath(QStringLiteral("bin"));
    const QString readOnly = tmp.filePath(QStringLiteral("sys"));
    const QString missing = tmp.filePath(QStringLiteral("none"));
    const QString user = tmp.filePath(QStringLiteral("home/.config/zovax-ether"));
    ASSERT_TRUE(QDir().mkpath(writable));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    // No write bit for anyone: not the user's folder even for the super-user.
    ASSERT_TRUE(QFile::setPermissions(readOnly,
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                          | QFile::ReadOther | QFile::ExeOther));
    const struct {
        QString program;
        QString base;
        bool beside;
    } cases[] = {{writable, writable, true}, {readOnly, user, false}, {missing, user, false}};
    for (const auto& c : cases) {
        const DataLocations l = dataLocationsFor(c.program, QStringLiteral("zovax-ether"), user);
        EXPECT_EQ(l.besideProgram, c.beside) << c.program.toStdString();
        EXPECT_EQ(l.settingsPath, c.base + QStringLiteral("/zovax-ether.ini"));
        EXPECT_EQ(l.tableFolder, c.base + QStringLiteral("/Dat"));
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(DataLocations, SettingsNamedAfterTheExecutable)
{
    QTemporaryDir tmp;
    const DataLocations l = dataLocationsForExecutable(tmp.filePath(QStringLiteral("zovax-ether")));
    EXPECT_EQ(l.settingsPath, tmp.filePath(QStringLiteral("zovax-ether.ini")));
    EXPECT_TRUE(userDataFolder().endsWith(QStringLiteral("/zovax-ether")));
}
