#include "CATEditorPage.h"

CATEditorPage::CATEditorPage(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDlgFrame(parent, name, style) {}

CATEditorPage::~CATEditorPage() = default;

void CATEditorPage::DescribeState(std::string& line) const {
  line += modified_ ? " modified" : " unmodified";
}
