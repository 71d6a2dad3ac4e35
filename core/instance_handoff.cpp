#include "core/instance_handoff.h"

#include "core/logging.h"
#include "core/single_instance.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace lumivex {
namespace {

constexpr int kMaxMessage = 1 << 20;  // far more than any list of pictures a desktop hands over

}  // namespace

QString InstanceHandoff::defaultName() {
  // Beside the lock: starts that share the settings meet, in a folder only the user may enter, and a
  // run with other settings (a test) never removes the socket of the user's program.
  const QString lock = SingleInstance::defaultLockPath();
  if (lock.endsWith(QStringLiteral(".lock"))) return lock.chopped(5) + QStringLiteral(".socket");
  return QString::fromLatin1(SingleInstance::kMutexName) + u'-' + QString::number(getuid());
}

InstanceHandoff::InstanceHandoff(Receiver receive, const QString& name)
    : server_(std::make_unique<QLocalServer>()), receive_(std::move(receive)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(name);
  if (!server_->listen(name)) {
    qCWarning(lcInstance) << "cannot listen for pictures from later starts:" << server_->errorString();
    return;
  }
  connect(server_.get(), &QLocalServer::newConnection, this, [this] { accept(); });
}

InstanceHandoff::~InstanceHandoff() = default;

bool InstanceHandoff::isListening() const { return server_->isListening(); }

void InstanceHandoff::accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      // The message ends with an empty line; until then it is still coming.
      const QByteArray buffered = socket->peek(kMaxMessage);
      if (buffered.size() >= kMaxMessage) {
        socket->abort();
        return;
      }
      const qsizetype end = buffered.startsWith('\n') ? 0 : buffered.indexOf("\n\n");
      if (end < 0) return;
      const QByteArray message = socket->read(end + (end == 0 ? 1 : 2));
      QStringList paths;
      for (const QByteArray& line : message.split('\n')) {
        if (!line.isEmpty()) paths.append(QString::fromUtf8(line));
      }
      socket->write("ok\n");
      socket->flush();
      socket->disconnectFromServer();
      if (receive_ && !paths.isEmpty()) receive_(paths);
    });
  }
}

bool InstanceHandoff::send(const QStringList& paths, int timeoutMs, const QString& name) {
  QByteArray message;
  for (const QString& path : paths) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute.contains(u'\n')) continue;  // a line per path: such a name cannot be handed over
    message += absolute.toUtf8() + '\n';
  }
  message += '\n';
  const QDeadlineTimer deadline(timeoutMs);
  QLocalSocket socket;
  // The running instance may still be starting: it listens once its window exists.
  while (true) {
    socket.connectToServer(name);
    if (socket.waitForConnected(200)) break;
    if (deadline.hasExpired()) return false;
    QThread::msleep(100);
  }
  socket.write(message);
  if (!socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) return false;
  QByteArray answer;
  while (!answer.contains('\n') &&
         socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
    answer += socket.readAll();
  return answer.startsWith("ok");
}

}  // namespace lumivex
