#pragma once

#include "core/atomic_file.h"
#include "export/report_document.h"

#include <QString>

#include <cstdint>
#include <memory>

class QWidget;

namespace lumivex {

// The word-processor report: the operations the exports call, over a document of ours (text runs,
// paragraphs and one picture at an insertion point). The document is written by SaveDocument as .docx
// (Office Open XML) when the name ends in ".docx", and as RTF under any other name (the default ".doc").
// The start-up failures are shown in a message box with the warning icon, as the operations' callers
// expect; the rest return their result for the export to report. GUI thread only.
class WordReport {
 public:
  explicit WordReport(QWidget* parent = nullptr);
  ~WordReport();
  WordReport(const WordReport&) = delete;
  WordReport& operator=(const WordReport&) = delete;

  // Creates the word processor's state and opens a blank document. Shows "Application Create fail!"
  // and returns false when that cannot be done.
  bool StartWordProcessor();
  bool OpenBlankDocument();
  // Font and style apply to the text typed after them. Without an open document they show
  // "Select为空，字体设置失败!" and return false.
  bool ApplyFont(const QString& name, double pointSize, std::uint32_t colour, int highlight);
  bool ApplyFontStyle(bool bold, bool italic, int underline);
  bool ApplyAlignment(int alignment);
  bool WriteText(const QString& text);
  bool EndParagraph();
  // Reads the picture file (any format Qt reads, the report's BMP among them) and inserts it as PNG at
  // the insertion point. False when there is no document or the file is not a picture.
  bool InsertPicture(const QString& path);
  // Writes the document atomically: an existing file is replaced whole or left as it was.
  WriteResult SaveDocument(const QString& path);
  void CloseWordProcessor();

  const ReportDocument* document() const { return document_.get(); }

  // Whether SaveDocument writes Office Open XML for this name (else RTF).
  static bool isOpenXmlName(const QString& path);

 private:
  void warn(const QString& text) const;

  QWidget* parent_;
  bool started_ = false;
  std::unique_ptr<ReportDocument> document_;
};

}  // namespace lumivex
