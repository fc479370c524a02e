// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/translations.h"

#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "host/host.h"
#include "host/seams.h"

namespace {

// What the user read on a modal box of the real host layer before it was closed.
struct SeenBox {
    bool seen = false;
    std::string title;
    std::string text;
    // The button texts, in order, each followed by '|'.
    std::string buttons;
};

// Runs show, which opens a modal box, and records that box from inside its loop, then
// cancels it; a box that never opens leaves nothing seen.
template <typename Show>
SeenBox watchModalBox(Show show)
{
    SeenBox box;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        box.seen = true;
        box.title = dialog->windowTitle().toStdString();
        if (auto *message = qobject_cast<QMessageBox *>(dialog))
            box.text = message->text().toStdString();
        for (QDialogButtonBox *row : dialog->findChildren<QDialogButtonBox *>()) {
            for (QAbstractButton *button : row->buttons())
                box.buttons += button->text().toStdString() + '|';
        }
        dialog->reject();
        poll.stop();
    });
    poll.start();
    show();
    return box;
}

class ToolkitTranslations : public testing::Test {
protected:
    // Back to the untranslated toolkit; no test leaves a translation behind.
    void TearDown() override
    {
        loadToolkitTranslations(QLocale::c());
        resetSeams();
    }
};

} // namespace

TEST_F(ToolkitTranslations, MessageBoxAndFileDialogSpeakTheLocaleLanguage)
{
    struct Case {
        const char *locale;
        bool loaded;
        const char *ok;
        const char *dialogTitle;
        const char *accept;
        const char *cancel;
    };
    // A translation an earlier row left in place would show in the rows after it.
    const Case cases[] = {
        {"zh_CN", true, "确定", "打开", "打开(&O)", "取消"},
        {"en_US", true, "OK", "Open", "&Open", "Cancel"},
        {"zh_CN", true, "确定", "打开", "打开(&O)", "取消"},
        {"sw_KE", false, "OK", "Open", "&Open", "Cancel"},
        {"C", false, "OK", "Open", "&Open", "Cancel"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(loadToolkitTranslations(QLocale(QString::fromLatin1(c.locale))), c.loaded);

        SeenBox error = watchModalBox([] { showError("播放列表保存失败!"); });
        ASSERT_TRUE(error.seen);
        EXPECT_EQ(error.buttons, std::string(c.ok) + '|');
        EXPECT_EQ(error.title, "错误!") << "the player's own text";
        EXPECT_EQ(error.text, "播放列表保存失败!");

        char buffer[512];
        int leftOut = -1;
        SeenBox files = watchModalBox([&] { chooseFiles(buffer, sizeof buffer, &leftOut); });
        ASSERT_TRUE(files.seen);
        EXPECT_EQ(files.title, c.dialogTitle);
        EXPECT_NE(files.buttons.find(std::string(c.accept) + '|'), std::string::npos)
            << files.buttons;
        EXPECT_NE(files.buttons.find(std::string(c.cancel) + '|'), std::string::npos)
            << files.buttons;
        EXPECT_EQ(leftOut, 0) << "cancelled";
    }
}
