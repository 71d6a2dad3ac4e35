#include "capture/evdev_snap_key.h"

#include "core/logging.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace lumivex {

namespace {
struct EvdevFree {
  void operator()(libevdev* dev) const { libevdev_free(dev); }
};

// USB device folder: the nearest ancestor of the video node's device that has an idVendor file.
QString usbDeviceFolder(const QString& videoNode, const QString& sysfsRoot) {
  const QString name = QFileInfo(videoNode).fileName();
  QString dir = QFileInfo(sysfsRoot + QStringLiteral("/class/video4linux/") + name + QStringLiteral("/device"))
                    .canonicalFilePath();
  while (!dir.isEmpty() && dir != sysfsRoot && dir.startsWith(sysfsRoot)) {
    if (QFileInfo::exists(dir + QStringLiteral("/idVendor"))) return dir;
    dir = QFileInfo(dir).path();
  }
  return {};
}
}  // namespace

QStringList EvdevSnapKey::findKeyNodes(const QString& videoNode, const QString& sysfsRoot) {
  QStringList nodes;
  const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
  if (root.isEmpty()) return nodes;
  const QString usb = usbDeviceFolder(videoNode, root);
  if (usb.isEmpty()) return nodes;
  QDirIterator it(usb, {QStringLiteral("event*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (QFileInfo(path).path().contains(QStringLiteral("/input")))
      nodes << QStringLiteral("/dev/input/") + it.fileName();
  }
  nodes.sort();
  return nodes;
}

QString EvdevSnapKey::openFailureText(const QString& node, int error) {
  QString text = QStringLiteral("cannot read %1: %2; the snapshot key does nothing")
                     .arg(node, QString::fromLocal8Bit(std::strerror(error)));
  // The usual cause: input devices belong to root. The rule shipped with the program grants access.
  if (error == EACCES || error == EPERM) {
    text += QStringLiteral(
        ". The udev rule 70-lumivex.rules (installed in lib/udev/rules.d) gives the logged-in user access to "
        "the camera's snapshot button: install it, then unplug and replug the camera");
  }
  return text;
}

EvdevSnapKey::EvdevSnapKey(const QString& videoNode, std::function<void()> onPress) : onPress_(std::move(onPress)) {
  for (const QString& node : findKeyNodes(videoNode)) {
    const int fd = ::open(node.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      qCInfo(lcSnapKey).noquote() << openFailureText(node, errno);
      continue;
    }
    libevdev* raw = nullptr;
    if (libevdev_new_from_fd(fd, &raw) == 0) {
      std::unique_ptr<libevdev, EvdevFree> dev(raw);
      if (libevdev_has_event_code(dev.get(), EV_KEY, KEY_CAMERA)) {
        fd_ = fd;
        break;
      }
    }
    ::close(fd);
  }
  if (fd_ < 0 || ::pipe2(wakePipe_, O_CLOEXEC) != 0) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return;
  }
  thread_ = std::thread([this] { loop(); });
}

EvdevSnapKey::~EvdevSnapKey() {
  if (thread_.joinable()) {
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(wakePipe_[1], &byte, 1);
    thread_.join();
  }
  for (int fd : wakePipe_)
    if (fd >= 0) ::close(fd);
  if (fd_ >= 0) ::close(fd_);
}

void EvdevSnapKey::loop() {
  libevdev* raw = nullptr;
  if (libevdev_new_from_fd(fd_, &raw) != 0) return;
  std::unique_ptr<libevdev, EvdevFree> dev(raw);
  for (;;) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    if (fds[0].revents & (POLLERR | POLLHUP)) return;  // the device went away
    input_event ev;
    int rc = 0;
    while ((rc = libevdev_next_event(dev.get(), LIBEVDEV_READ_FLAG_NORMAL, &ev)) >= 0) {
      if (rc == LIBEVDEV_READ_STATUS_SUCCESS && ev.type == EV_KEY && ev.code == KEY_CAMERA && ev.value == 1) onPress_();
    }
    if (rc != -EAGAIN && rc != LIBEVDEV_READ_STATUS_SYNC) return;
  }
}

}  // namespace lumivex
