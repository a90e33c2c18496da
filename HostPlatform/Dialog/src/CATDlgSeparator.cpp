#include "CATDlgSeparator.h"

CATDlgSeparator::CATDlgSeparator(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgSeparator::~CATDlgSeparator() = default;

void CATDlgSeparator::DescribeState(std::string& line) const {
  if (GetStyle() & CATDlgCtrVertical) line += " vertical";
}
