#include "app/command_line.h"

#include <gtest/gtest.h>

#include <QDir>

namespace lumivex {
namespace {

TEST(CommandLineTest, OptionsAndFiles) {
  const QString cwd = QDir::currentPath();
  struct Case {
    QStringList args;
    bool help, version, demo;
    QStringList files;
    bool error;
  } cases[] = {
      {{}, false, false, false, {}, false},
      {{"--help"}, true, false, false, {}, false},
      {{"-h"}, true, false, false, {}, false},
      {{"--version"}, false, true, false, {}, false},
      {{"-v"}, false, true, false, {}, false},
      {{"--demo-camera", "a.bmp", "/tmp/b.avi"}, false, false, true, {cwd + "/a.bmp", "/tmp/b.avi"}, false},
      // A file manager may hand over names that start with a dash after "--".
      {{"--", "--help", "-x.jpg"}, false, false, false, {cwd + "/--help", cwd + "/-x.jpg"}, false},
      {{"--bogus", "a.jpg"}, false, false, false, {cwd + "/a.jpg"}, true},
      {{"-"}, false, false, false, {cwd + "/-"}, false},
      // Qt's own options, seen by a second start before Qt takes them out, are neither files nor errors.
      {{"-platform", "offscreen", "-reverse", "a.jpg"}, false, false, false, {cwd + "/a.jpg"}, false},
      {{"file:///tmp/Mikroskop%20Bilder/a.jpg", "file:b.avi"},
       false,
       false,
       false,
       {"/tmp/Mikroskop Bilder/a.jpg", cwd + "/b.avi"},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(u' ').toStdString());
    const CommandLine line = parseCommandLine(QStringList{QStringLiteral("lumivex")} + c.args);
    EXPECT_EQ(line.help, c.help);
    EXPECT_EQ(line.version, c.version);
    EXPECT_EQ(line.demoCamera, c.demo);
    EXPECT_EQ(line.files, c.files);
    EXPECT_EQ(!line.error.isEmpty(), c.error);
  }
}

}  // namespace
}  // namespace lumivex
