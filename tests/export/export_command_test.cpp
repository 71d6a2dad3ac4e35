#include "core/scripted_prompter.h"
#include "export/spreadsheet/workbook.h"
#include "export/spreadsheet/workbook_file.h"
#include "export/spreadsheet_export.h"
#include "measure/shape_builder.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace lumivex {
namespace {

class ExportCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto scripted = std::make_unique<ScriptedPrompter>();
    script_ = scripted.get();
    previous_ = installPrompter(std::move(scripted));
    shapes_.push_back(*makeLine({0, 0}, {100, 0}, {0, 0}, {0.02963, 10, 3, QStringLiteral("mm")}));
  }
  void TearDown() override { installPrompter(std::move(previous_)); }

  QString run(ReportSource source) {
    return exportShapesToSpreadsheet(nullptr, source, {&shapes_.front()}, [this](bool busy) {
      busyCalls_ << busy;
      // The wait cursor is up while the file is written, and only then.
      EXPECT_NE(busy, busyNow_);
      busyNow_ = busy;
    });
  }

  std::size_t rowsIn(const QString& path) {
    Workbook book;
    if (loadWorkbook(path, &book, nullptr) != WorkbookLoad::Loaded || !book.find("ExportData")) return 0;
    return book.find("ExportData")->rows.size();
  }

  test::TempHome home_;
  ScriptedPrompter* script_ = nullptr;
  std::unique_ptr<Prompter> previous_;
  std::vector<MeasureShape> shapes_;
  QList<bool> busyCalls_;
  bool busyNow_ = false;
};

TEST_F(ExportCommandTest, AsksForTheFileAndWritesItSilently) {
  const QString documents = home_.path() + "/Documents";
  ASSERT_TRUE(QDir().mkpath(documents));
  // Cancel: nothing written, no cursor, no message.
  script_->push(std::optional<FileAnswer>{});
  EXPECT_TRUE(run(ReportSource::Still).isEmpty());
  EXPECT_TRUE(busyCalls_.isEmpty());
  ASSERT_EQ(script_->fileRequests().size(), 1u);
  EXPECT_EQ(script_->fileRequests()[0].filters, QStringList{"xls Files(*.xls)"});
  EXPECT_EQ(script_->fileRequests()[0].folder, documents);
  EXPECT_FALSE(script_->fileRequests()[0].confirmOverwrite);

  // A name without extension takes the chosen filter's; the live window offers .xlsx too.
  const QString chosen = home_.path() + "/out/report";
  ASSERT_TRUE(QDir().mkpath(home_.path() + "/out"));
  script_->push(std::optional<FileAnswer>{FileAnswer{chosen, "xlsx Files(*.xlsx)"}});
  EXPECT_EQ(run(ReportSource::Live), chosen + ".xlsx");
  EXPECT_EQ(script_->fileRequests()[1].filters, (QStringList{"xls Files(*.xls)", "xlsx Files(*.xlsx)"}));
  EXPECT_EQ(busyCalls_, (QList<bool>{true, false}));
  EXPECT_TRUE(script_->messageTexts().empty());
  EXPECT_EQ(rowsIn(chosen + ".xlsx"), 2u);

  // The next dialog opens where the last export went; an existing final name is confirmed first.
  script_->push(std::optional<FileAnswer>{FileAnswer{chosen, "xlsx Files(*.xlsx)"}});
  script_->push(MessageAnswer::No);
  EXPECT_TRUE(run(ReportSource::Live).isEmpty());
  EXPECT_EQ(script_->fileRequests()[2].folder, home_.path() + "/out");
  ASSERT_EQ(script_->messageTexts().size(), 1u);
  EXPECT_TRUE(script_->messageTexts()[0].startsWith("report.xlsx already exists."));
  EXPECT_EQ(rowsIn(chosen + ".xlsx"), 2u);
  script_->push(std::optional<FileAnswer>{FileAnswer{chosen + ".xlsx", "xls Files(*.xls)"}});
  script_->push(MessageAnswer::Yes);
  EXPECT_EQ(run(ReportSource::Live), chosen + ".xlsx");
  EXPECT_EQ(rowsIn(chosen + ".xlsx"), 3u);
  EXPECT_EQ(script_->messageTexts().size(), 2u);  // the question only: success is silent
}

TEST_F(ExportCommandTest, AFileNotWrittenSaysSoAndPutsTheCursorBack) {
  // A folder where the file should be cannot be read nor replaced.
  const QString blocked = home_.path() + "/blocked.xls";
  ASSERT_TRUE(QDir().mkpath(blocked));
  script_->push(std::optional<FileAnswer>{FileAnswer{blocked, "xls Files(*.xls)"}});
  script_->push(MessageAnswer::Yes);
  EXPECT_TRUE(run(ReportSource::Still).isEmpty());
  EXPECT_EQ(busyCalls_, (QList<bool>{true, false}));
  const auto& records = script_->records();
  ASSERT_EQ(records.size(), 3u);  // dialog, question, warning
  EXPECT_TRUE(records[2].text.startsWith("Save fail"));
  EXPECT_EQ(records[2].icon, MessageIcon::Warning);
  EXPECT_TRUE(QFileInfo(blocked).isDir());

  // Without a documents folder the dialog opens at home, never at the root.
  QDir(home_.path() + "/Documents").removeRecursively();
  script_->push(std::optional<FileAnswer>{});
  run(ReportSource::Still);
  EXPECT_EQ(script_->fileRequests().back().folder, home_.path());
}

}  // namespace
}  // namespace lumivex
