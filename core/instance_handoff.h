#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QLocalServer;

namespace lumivex {

// Hands the files a second start of the program was given to the instance that runs (single instance is
// the lock of SingleInstance; this is how a file manager's "Open with" still reaches the running program).
// A local socket beside the SingleInstance lock (the session's runtime folder), reachable by this user only.
// The client sends one absolute path per line and an empty line; the server answers "ok" and passes the
// paths on. GUI thread (server); the client blocks and needs no event loop.
class InstanceHandoff : public QObject {
 public:
  using Receiver = std::function<void(const QStringList& paths)>;

  static QString defaultName();

  // The running instance. A socket left by a crashed instance is removed first: the lock says none runs.
  explicit InstanceHandoff(Receiver receive, const QString& name = defaultName());
  ~InstanceHandoff() override;

  bool isListening() const;
  void setReceiver(Receiver receive) { receive_ = std::move(receive); }

  // A second start: sends the paths (made absolute). Keeps trying for up to timeoutMs while the running
  // instance is still starting. True when the running instance confirmed them.
  static bool send(const QStringList& paths, int timeoutMs = 10000, const QString& name = defaultName());

 private:
  void accept();

  std::unique_ptr<QLocalServer> server_;
  Receiver receive_;
};

}  // namespace lumivex
