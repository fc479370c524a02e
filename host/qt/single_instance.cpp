// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/single_instance.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "host/files.h"
#include "host/host.h"
#include "state/limits.h"
#include "state/text.h"

namespace {

constexpr char LOCK_SUFFIX[] = ".lock";
// A player that has just taken the lock may not listen yet.
constexpr int CONNECT_TRIES = 20;
constexpr std::chrono::milliseconds CONNECT_PAUSE(50);

int lockFd = -1;
int listenFd = -1;
QSocketNotifier *listener = nullptr;
std::function<void()> raiseHandler;

// The socket is named after the lock file itself (abstract namespace: no file to go stale), so
// a request reaches exactly the player that holds this playlist's lock.
bool socketAddress(int fd, sockaddr_un &address, socklen_t &length)
{
    struct stat info;
    if (fstat(fd, &info) != 0)
        return false;
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    char name[sizeof address.sun_path - 1];
    if (!formatText(name, sizeof name, "vorla-raise-%u-%llx-%llx", static_cast<unsigned>(getuid()),
                    static_cast<unsigned long long>(info.st_dev),
                    static_cast<unsigned long long>(info.st_ino)))
        return false;
    std::size_t used = 0;
    while (name[used] != '\0') {
        address.sun_path[used + 1] = name[used];
        ++used;
    }
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + used);
    return true;
}

int openLockFile()
{
    char path[PATH_BYTES];
    if (!playlistFilePath(path, sizeof path) || path[0] == '\0' ||
        !appendText(path, sizeof path, LOCK_SUFFIX) || !makeParentFolders(path))
        return -1;
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // A lock file left in a folder that became read-only still locks.
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    return fd;
}

void acceptRequests()
{
    for (;;) {
        int client = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0)
            return;
        close(client);
        if (raiseHandler)
            raiseHandler();
    }
}

} // namespace

InstanceLock takeInstanceLock()
{
    if (lockFd >= 0)
        return InstanceLock::Taken;
    int fd = openLockFile();
    if (fd < 0)
        return InstanceLock::Unavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? InstanceLock::HeldElsewhere : InstanceLock::Unavailable;
    }
    lockFd = fd;
    return InstanceLock::Taken;
}

bool askRunningPlayerToRaise()
{
    int fd = openLockFile();
    if (fd < 0)
        return false;
    sockaddr_un address;
    socklen_t length = 0;
    bool reached = false;
    if (socketAddress(fd, address, length)) {
        for (int attempt = 0; attempt < CONNECT_TRIES && !reached; ++attempt) {
            int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (client < 0)
                break;
            reached = connect(client, reinterpret_cast<sockaddr *>(&address), length) == 0;
            close(client);
            if (!reached)
                std::this_thread::sleep_for(CONNECT_PAUSE);
        }
    }
    close(fd);
    return reached;
}

void listenForRaiseRequests(std::function<void()> raise)
{
    raiseHandler = std::move(raise);
    if (lockFd < 0 || listenFd >= 0)
        return;
    sockaddr_un address;
    socklen_t length = 0;
    if (!socketAddress(lockFd, address, length))
        return;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return;
    }
    listenFd = fd;
    listener = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(listener, &QSocketNotifier::activated, listener, [] { acceptRequests(); });
}

void releaseInstanceLock()
{
    delete listener;
    listener = nullptr;
    raiseHandler = nullptr;
    if (listenFd >= 0)
        close(listenFd);
    listenFd = -1;
    if (lockFd >= 0)
        close(lockFd);
    lockFd = -1;
}
