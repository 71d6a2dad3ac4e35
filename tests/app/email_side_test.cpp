#include "app/files_controller.h"
#include "app/main_controls.h"
#include "app/main_window.h"
#include "core/app_context.h"
#include "core/scripted_prompter.h"
#include "export/mail_transport.h"
#include "library/thumbnail_strip.h"

#include "tests/app/fake_capture_service.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/temp_home.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

// A transport that answers at once with a scripted outcome and keeps what it was given.
class RecordingTransport : public MailTransport {
 public:
  RecordingTransport(MailOutcome outcome, std::vector<MailMessage>& sent) : outcome_(outcome), sent_(sent) {}
  void send(const MailMessage& message, std::function<void(const MailOutcome&)> done) override {
    sent_.push_back(message);
    done(outcome_);
  }

 private:
  MailOutcome outcome_;
  std::vector<MailMessage>& sent_;
};

class EmailSideTest : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    openWindow();
  }

  void useTransport(MailOutcome outcome) {
    MailSender::Environment environment;
    environment.mailFolder = dir_.filePath(QStringLiteral("mail"));
    environment.configFolder = dir_.filePath(QStringLiteral("config"));
    environment.makeTransport = [this, outcome](const MailSettings&, QWidget*) {
      return std::make_unique<RecordingTransport>(outcome, sent_);
    };
    window_->files().setMailEnvironment(environment);
  }

  QTemporaryDir dir_;
  std::vector<MailMessage> sent_;
};

// 1274 sends the strip's current picture: the waiting window runs, the transport gets the file, the
// outcome is told and the command returns with the window closed.
TEST_F(EmailSideTest, TheCurrentPictureGoesToTheMailAndTheOutcomeIsTold) {
  const QString picture = dir_.filePath(QStringLiteral("Picture_1.jpg"));
  QImage image(64, 48, QImage::Format_RGB888);
  image.fill(Qt::darkCyan);
  ASSERT_TRUE(image.save(picture, "JPG"));
  window_->controls().strip()->AddCapturedPicture(picture);

  struct Case {
    MailResult result;
    std::vector<QString> told;
  };
  const Case cases[] = {
      {MailResult::Sent, {QStringLiteral("Send Completed")}},
      {MailResult::HandedOff, {}},
      {MailResult::Failed, {QStringLiteral("The mail could not be sent.\nrefused")}},
  };
  for (const Case& c : cases) {
    sent_.clear();
    const std::size_t before = prompts_->messageTexts().size();
    useTransport(MailOutcome{c.result, QStringLiteral("refused")});
    window_->dispatchCommand(1274);
    ASSERT_EQ(sent_.size(), 1u);
    EXPECT_EQ(sent_[0].attachmentName, QStringLiteral("Picture_1.jpg"));
    EXPECT_TRUE(QFileInfo::exists(sent_[0].attachmentPath));
    const std::vector<QString> texts = prompts_->messageTexts();
    EXPECT_EQ(std::vector<QString>(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end()), c.told);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }
}

// Without a current entry nothing is sent and the user is asked to select one.
TEST_F(EmailSideTest, NothingSelectedSendsNothing) {
  useTransport(MailOutcome{MailResult::Sent, {}});
  window_->dispatchCommand(1274);
  EXPECT_TRUE(sent_.empty());
  ASSERT_EQ(prompts_->messageTexts().size(), 1u);
  EXPECT_EQ(prompts_->messageTexts()[0], QStringLiteral("Please select one image or video"));
}

}  // namespace
}  // namespace lumivex
