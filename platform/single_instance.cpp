#include "platform/single_instance.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <filesystem>

#include "platform/folders.h"

namespace vexo {

namespace {

constexpr char kShowRequest[] = "show\n";
constexpr char kShownAnswer[] = "shown\n";

std::string CanonicalFolder(const std::string& folder) {
  std::error_code ec;
  const auto canonical = std::filesystem::weakly_canonical(folder, ec);
  return ec ? folder : canonical.string();
}

}  // namespace

FolderLock::FolderLock(const std::string& folder)
    : path_(folder + "vexo.lock"), lock_(QString::fromStdString(path_)) {
  // Held for the program's whole life: only a dead holder makes it stale,
  // never its age.
  lock_.setStaleLockTime(0);
}

bool FolderLock::TryLock() {
  // The lock records the application name and later compares it with the
  // holder's executable name to spot a reused process id: they must agree,
  // also when the program was started through a link of another name.
  const QString exe = QFileInfo(QString::fromStdString(ExecutablePath())).fileName();
  if (!exe.isEmpty()) QCoreApplication::setApplicationName(exe);
  return lock_.tryLock(0);
}

FolderLock::Holder FolderLock::CurrentHolder() const {
  Holder h;
  qint64 pid = 0;
  QString host;
  QString app;
  if (lock_.getLockInfo(&pid, &host, &app)) {
    h.pid = pid;
    h.program = app.toStdString();
  }
  return h;
}

std::string FolderLock::HolderDescription() const {
  const Holder h = CurrentHolder();
  std::string text = h.program.empty() ? std::string("another program") : h.program;
  if (h.pid > 0) text += " (process " + std::to_string(h.pid) + ")";
  return text;
}

QString InstanceServerName(const std::string& folder) {
  const QByteArray hash =
      QCryptographicHash::hash(QByteArray::fromStdString(CanonicalFolder(folder)),
                               QCryptographicHash::Sha1)
          .toHex()
          .left(16);
  return QStringLiteral("vexo-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

InstanceServer::InstanceServer(const std::string& folder, std::function<void()> show)
    : show_(std::move(show)) {
  const QString name = InstanceServerName(folder);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  // The folder's lock is ours, so a socket under this name was left by a
  // killed owner.
  QLocalServer::removeServer(name);
  if (!server_.listen(name)) return;
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* client = server_.nextPendingConnection()) {
      QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
      QObject::connect(client, &QLocalSocket::readyRead, client, [this, client] {
        if (!client->canReadLine()) return;
        const QByteArray request = client->readLine(64);
        if (request == kShowRequest && show_) show_();
        client->write(kShownAnswer);
        client->flush();
        client->disconnectFromServer();
      });
    }
  });
}

bool AskRunningInstanceToShow(const std::string& folder, int timeout_ms) {
  const QString name = InstanceServerName(folder);
  const QDeadlineTimer deadline(timeout_ms);
  while (!deadline.hasExpired()) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
      socket.write(kShowRequest);
      if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) return false;
      while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) return false;
      }
      return socket.readLine(64) == kShownAnswer;
    }
    // The owner took its lock but is not listening yet.
    QThread::msleep(50);
  }
  return false;
}

}  // namespace vexo
