// SPDX-License-Identifier: GPL-3.0-or-later
// A program of its own: the application object it checks must be the first of the process.
#include <QApplication>

#include <gtest/gtest.h>

#include "host/qt/application.h"
#include "host/qt/main_window.h"
#include "tests/support/fake_host.h"

TEST(ToolkitArguments, QtOptionsOnTheCommandLineHaveNoEffect)
{
    TempDir folder;
    writeFile(folder.path / "red.qss", "QWidget { background: red; }");
    std::string sheet = (folder.path / "red.qss").string();
    char program[] = "vorla";
    char reverse[] = "-reverse";
    char style[] = "-stylesheet";
    char *argv[] = {program, reverse, style, sheet.data(), nullptr};
    auto application = createApplication(4, argv);

    EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
    EXPECT_TRUE(application->styleSheet().isEmpty());
    EXPECT_EQ(QCoreApplication::arguments(), QStringList{QStringLiteral("vorla")});
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
