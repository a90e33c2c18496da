#include "CATDlgToolsOptionsFrame.h"

CATDlgToolsOptionsFrame::CATDlgToolsOptionsFrame(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDlgFrame(parent, name, style) {}

CATDlgToolsOptionsFrame::~CATDlgToolsOptionsFrame() = default;
