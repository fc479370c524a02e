// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>
#include <vector>

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "host/host.h"
#include "host/seams.h"
#include "tests/support/fake_host.h"

namespace {

class FileDialogSelection : public testing::Test {
protected:
    void SetUp() override { fakes.install(); }
    void TearDown() override { fakes.uninstall(); }

    // Runs the dialog seam into a buffer of the given size; the written bytes up to and
    // including the empty string that ends them.
    std::string choose(const std::vector<std::string> &paths, std::size_t size)
    {
        fakes.chosenFiles = paths;
        std::vector<char> buffer(size, 'X');
        leftOut = -1;
        chosen = chooseFiles(buffer.data(), buffer.size(), &leftOut);
        std::string written(buffer.begin(), buffer.end());
        std::size_t end = written.find(std::string(2, '\0'));
        return end == std::string::npos ? written : written.substr(0, end + 2);
    }

    FakeHost fakes;
    bool chosen = false;
    int leftOut = 0;
};

QFileDialog *openFileDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

} // namespace

TEST_F(FileDialogSelection, WritesTheOneFileAndTheSeveralFilesForms)
{
    struct Case {
        const char *what;
        std::vector<std::string> paths;
        std::string written;
        int leftOut;
    };
    using namespace std::string_literals;
    const std::vector<Case> cases = {
        {"one file", {"/m/a.mp3"}, "/m/a.mp3\0\0"s, 0},
        {"several files", {"/m/c.mp3", "/m/a b.mp3"}, "/m\0c.mp3\0a b.mp3\0\0"s, 0},
        {"root folder", {"/a.mp3", "/b.mp3"}, "\0a.mp3\0b.mp3\0\0"s, 0},
        {"Chinese names",
         {"/音乐/晴天.mp3", "/音乐/稻香.MP3"},
         "/音乐\0晴天.mp3\0稻香.MP3\0\0"s,
         0},
        {"second folder left out",
         {"/m/a.mp3", "/n/b.mp3", "/m/c.mp3"},
         "/m\0a.mp3\0c.mp3\0\0"s,
         1},
        {"one usable file of two", {"/m/a.mp3", "/n/b.mp3"}, "/m/a.mp3\0\0"s, 1},
        {"relative and folder paths left out", {"a.mp3", "/m/", "/m/b.mp3"}, "/m/b.mp3\0\0"s, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);

        std::string written = choose(c.paths, 4096);

        EXPECT_TRUE(chosen);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(leftOut, c.leftOut);
    }
}

TEST_F(FileDialogSelection, CountsWhatDoesNotFitTheBuffer)
{
    using namespace std::string_literals;
    std::vector<std::string> paths = {"/m/a.mp3", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3"};

    // "/m" and two names take 3 + 6 + 6 bytes, the final empty string one more.
    EXPECT_EQ(choose(paths, 16), "/m\0a.mp3\0b.mp3\0\0"s);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(leftOut, 2);

    EXPECT_EQ(choose(paths, 15), "/m\0a.mp3\0\0"s);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(leftOut, 3);
}

TEST_F(FileDialogSelection, RefusesAChoiceOfWhichNothingFits)
{
    struct Case {
        const char *what;
        std::vector<std::string> paths;
        std::size_t size;
        int leftOut;
    };
    const std::vector<Case> cases = {
        {"path longer than a path buffer", {"/" + std::string(5000, 'p') + "/a.mp3"}, 8192, 1},
        {"name longer than a list text", {"/m/" + std::string(300, 'n')}, 8192, 1},
        {"one file, tiny buffer", {"/m/a.mp3"}, 9, 1},
        {"several files, tiny buffer", {"/m/a.mp3", "/m/b.mp3"}, 6, 2},
        {"no buffer", {"/m/a.mp3"}, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);

        std::string written = choose(c.paths, c.size);

        EXPECT_FALSE(chosen);
        EXPECT_EQ(leftOut, c.leftOut);
        if (c.size > 0) {
            EXPECT_EQ(written[0], '\0');
        }
    }
}

TEST_F(FileDialogSelection, CancelReportsNothingLeftOut)
{
    choose({}, 64);

    EXPECT_FALSE(chosen);
    EXPECT_EQ(leftOut, 0);
}

TEST_F(FileDialogSelection, RealDialogFiltersMp3InAnyLetterCaseAndReturnsTheChoice)
{
    TempDir folder;
    const char *const names[] = {"a.mp3", "b.MP3", "c.Mp3", "d.mP3", "e.wav", "f.mp3.txt"};
    for (const char *name : names)
        writeFile(folder.path / name, "");
    setFileDialogHandler(nullptr);
    QStringList patterns;
    QTimer::singleShot(0, [&] {
        QFileDialog *dialog = openFileDialog();
        ASSERT_NE(dialog, nullptr);
        auto *model = dialog->findChild<QFileSystemModel *>();
        ASSERT_NE(model, nullptr);
        patterns = model->nameFilters();
        dialog->setDirectory(QString::fromStdString(folder.path.string()));
        auto *nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameEdit, nullptr);
        nameEdit->setText(QStringLiteral("\"b.MP3\" \"a.mp3\""));
        static_cast<QDialog *>(dialog)->accept();
    });
    // Should the dialog stay open, it is cancelled rather than left to hang the test.
    QTimer::singleShot(20000, [] {
        if (QFileDialog *dialog = openFileDialog())
            dialog->reject();
    });
    char buffer[512];
    leftOut = -1;

    chosen = chooseFiles(buffer, sizeof buffer, &leftOut);

    // The file list matches names case-sensitively on Linux.
    QStringList offered;
    for (const char *name : names) {
        for (const QString &pattern : patterns) {
            if (QRegularExpression::fromWildcard(pattern, Qt::CaseSensitive)
                    .match(name)
                    .hasMatch()) {
                offered << QString::fromUtf8(name);
                break;
            }
        }
    }
    EXPECT_EQ(offered, QStringList({"a.mp3", "b.MP3", "c.Mp3", "d.mP3"}));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(leftOut, 0);
    std::string written(buffer, folder.path.string().size() + 15);
    EXPECT_EQ(written, folder.path.string() + std::string("\0b.MP3\0a.mp3\0\0", 15));
}
