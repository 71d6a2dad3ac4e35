#pragma once

#include <QString>

#include <functional>

namespace lumivex {

// One message with its one attachment: the file on disk and the name the recipient sees.
struct MailMessage {
  QString to;
  QString subject;
  QString body;
  QString attachmentPath;
  QString attachmentName;
};

// What became of a message. HandedOff: a desktop mail program took it and will send it or not, which
// the program cannot know. NoMailProgram: nothing to hand it to.
enum class MailResult { Sent, HandedOff, Cancelled, NoMailProgram, LogonFailed, Failed };

struct MailOutcome {
  MailResult result = MailResult::Failed;
  QString detail;  // why, for the failure message
};

// A way of sending one message. send() returns at once; done is called later on the GUI thread, exactly
// once. The transport must outlive that call, and done must not destroy it (close a window instead).
class MailTransport {
 public:
  virtual ~MailTransport() = default;
  virtual void send(const MailMessage& message, std::function<void(const MailOutcome&)> done) = 0;
};

}  // namespace lumivex
