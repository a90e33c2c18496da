#include "CATDlgLabel.h"

CATDlgLabel::CATDlgLabel(CATDialog* parent, const CATString& name, CATDlgStyle style)
    : CATDialog(parent, name, style) {}

CATDlgLabel::~CATDlgLabel() = default;
