#ifndef CATDlgNotify_h
#define CATDlgNotify_h
// Notification boxes. Headless: every box shown is recorded in a process-wide journal (name, style, title,
// text, answer) and answered from a queue of scripted answers (1 when the queue is empty).
#include <vector>

#include "CATDlgDialog.h"

// Buttons.
#define CATDlgNfyOK 0x00100000UL
#define CATDlgNfyOKCancel 0x00200000UL
#define CATDlgNfyYesNo 0x00800000UL
#define CATDlgNfyYesNoCancel 0x00400000UL
// Kind of box (a box may also be CATDlgWndModal).
#define CATDlgNfyQuestion 0x02000000UL
#define CATDlgNfyInformation 0x04000000UL
#define CATDlgNfyWarning 0x08000000UL
#define CATDlgNfyError 0x10000000UL
// Answers.
#define CATDlgNfyAnswerOK 1
#define CATDlgNfyAnswerYes 1
#define CATDlgNfyAnswerCancel 2
#define CATDlgNfyAnswerNo 3

struct CATDlgNotifyRecord {
  CATString name;
  CATDlgStyle style;
  CATUnicodeString title;
  CATUnicodeString text;
  int answer;
};

class ExportedByCATDialog CATDlgNotify : public CATDlgDialog {
 public:
  CATDlgNotify(CATCommand* parent, const CATString& name, CATDlgStyle style);
  ~CATDlgNotify() override;

  void SetText(const CATUnicodeString& text) { text_ = text; }
  const CATUnicodeString& GetText() const { return text_; }
  // Shows the box and returns the answer (journalled).
  int DisplayBlocked(const CATUnicodeString& text, const CATUnicodeString& title);
  // Shows the box without waiting (journalled with answer 0).
  void Display(const CATUnicodeString& text, const CATUnicodeString& title);

  static void QueueAnswer(int answer);
  static void ClearAnswers();
  static const std::vector<CATDlgNotifyRecord>& GetJournal();
  static void ClearJournal();

  const char* GetKindName() const override { return "Notify"; }

 protected:
  unsigned StandardButtons() const override;
  void DescribeState(std::string& line) const override;

 private:
  CATUnicodeString text_;
};

#endif
