#include "CATDlgDialog.h"

CATDlgDialog::CATDlgDialog(CATCommand* parent, const CATString& name, CATDlgStyle style)
    : CATCommand(parent, name), style_(style) {}

CATDlgDialog::~CATDlgDialog() = default;
