// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/application.h"

#include <cstdio>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>

#include "host/qt/main_window.h"
#include "host/qt/single_instance.h"
#include "host/qt/translations.h"
#include "host/seams.h"

namespace {

// Runs once, right after the first finished paint of the watched window.
class FirstFrame : public QObject {
public:
    explicit FirstFrame(std::function<void()> then) : m_then(std::move(then)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_then) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, std::move(m_then));
            m_then = nullptr;
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

// What waits for the first frame of this run's window; empty and not waiting outside a run.
struct FirstFrameWork {
    bool isWaiting = false;
    std::vector<TimerProc> procs;
};
FirstFrameWork firstFrameWork;

void runFirstFrameWork()
{
    std::vector<TimerProc> procs = std::move(firstFrameWork.procs);
    firstFrameWork = FirstFrameWork();
    for (TimerProc proc : procs)
        proc();
}

// With VORLA_STARTUP_PROBE set, the first frame prints "painted" and ends the run: the start-up
// benchmark times the process up to that line.
void reportFirstFrame()
{
    std::fputs("painted\n", stdout);
    std::fflush(stdout);
    endDialog(0);
}

} // namespace

std::unique_ptr<QApplication> createApplication(int argc, char **argv)
{
    // The command line is ignored, the toolkit's own options (-reverse, -stylesheet) included.
    static char programName[] = "vorla";
    static char *toolkitArgv[] = {argc > 0 && argv[0] ? argv[0] : programName, nullptr};
    static int toolkitArgc = 1;
    return std::make_unique<QApplication>(toolkitArgc, toolkitArgv);
}

int runMainDialog(int argc, char **argv, DialogProc proc, const RunHooks &hooks)
{
    std::unique_ptr<QApplication> application;
    if (!QApplication::instance())
        application = createApplication(argc, argv);
    loadToolkitTranslations(QLocale::system());
    // A second start brings the running window forward; it never opens its own.
    switch (takeInstanceLock()) {
    case InstanceLock::HeldElsewhere:
        if (!askRunningPlayerToRaise() && !(hooks.raiseRunningPlayer && hooks.raiseRunningPlayer()))
            showError(MSG_ALREADY_RUNNING);
        return 0;
    case InstanceLock::Taken: listenForRaiseRequests(raiseMainDialog); break;
    case InstanceLock::Unavailable: break;
    }
    // The program's icon; the window itself sets none, as the desktop shows the program's.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vorla/icon-48.png")));
    // What the first frame does not need waits for it, so the window is on screen sooner.
    firstFrameWork.isWaiting = true;
    createMainDialog(proc);
    bool probing = qEnvironmentVariableIsSet("VORLA_STARTUP_PROBE");
    FirstFrame firstFrame([&hooks, proc, probing] {
        if (probing)
            reportFirstFrame();
        runFirstFrameWork();
        if (hooks.shown)
            hooks.shown(proc);
    });
    mainDialog()->installEventFilter(&firstFrame);
    int result = mainDialog()->exec();
    firstFrameWork = FirstFrameWork();
    if (hooks.ending)
        hooks.ending();
    destroyMainDialog();
    return result;
}

void afterFirstFrame(TimerProc proc)
{
    if (firstFrameWork.isWaiting)
        firstFrameWork.procs.push_back(proc);
    else
        proc();
}
