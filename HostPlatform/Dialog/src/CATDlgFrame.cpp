#include "CATDlgFrame.h"

CATDlgFrame::CATDlgFrame(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgFrame::~CATDlgFrame() = default;
