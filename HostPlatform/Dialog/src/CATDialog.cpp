#include "CATDialog.h"

#include <algorithm>
#include <cstdio>

#include "CATDlgDialog.h"
#include "CATDlgLock.h"
#include "CATMsgCatalog.h"
#include "CATNotification.h"

namespace {
// Resource catalogs derive from one another through levels; a bound keeps a faulty override from looping.
constexpr int kMaxResourceLevels = 8;
}  // namespace

CATDialog::CATDialog(CATCommand* parent, const CATString& name, CATDlgStyle style)
    : CATCommand(parent, name), style_(style) {
  LoadResourceTexts();
}

CATDialog::~CATDialog() {
  for (CATDlgLock* lock : locks_) lock->ForgetAssociated(this);
  locks_.clear();
  for (CATNotification* notification : notifications_) notification->Release();
}

void CATDialog::SetIconName(const CATString& normal, const CATString& selected, const CATString& focused) {
  icons_[0] = normal;
  icons_[1] = selected;
  icons_[2] = focused;
}

void CATDialog::SetSensitivity(CATULong sensitivity) {
  sensitive_ = (sensitivity == CATDlgDisable || sensitivity == 0) ? 0 : 1;
}

void CATDialog::SetVisibility(CATULong visibility) {
  visible_ = (visibility == CATDlgHide || visibility == 0) ? 0 : 1;
}

int CATDialog::IsHeldByLock() const {
  for (const CATDlgLock* lock : locks_)
    if (lock->IsLocked()) return 1;
  return 0;
}

int CATDialog::IsUserAccessible() const {
  for (const CATDialog* d = this; d; d = d->GetDialogFather()) {
    if (!d->visible_ || !d->sensitive_ || d->IsHeldByLock()) return 0;
    if (d->isWindow_) break;
  }
  return 1;
}

HRESULT CATDialog::SetGridConstraints(int row, int column, int rowSpan, int columnSpan,
                                      CATULong justification) {
  if (row < 0 || column < 0 || rowSpan < 1 || columnSpan < 1) return E_INVALIDARG;
  grid_ = {row, column, rowSpan, columnSpan, justification};
  hasGrid_ = 1;
  return S_OK;
}

HRESULT CATDialog::SetGridConstraints(const CATDlgGridConstraints& c) {
  return SetGridConstraints(c.row, c.column, c.rowSpan, c.columnSpan, c.justification);
}

HRESULT CATDialog::SetGridRowResizable(int row, int resizable) {
  if (row < 0) return E_INVALIDARG;
  if (resizable)
    resizableRows_.insert(row);
  else
    resizableRows_.erase(row);
  return S_OK;
}

HRESULT CATDialog::SetGridColumnResizable(int column, int resizable) {
  if (column < 0) return E_INVALIDARG;
  if (resizable)
    resizableColumns_.insert(column);
  else
    resizableColumns_.erase(column);
  return S_OK;
}

HRESULT CATDialog::SetVisibleTextWidth(int characters) {
  if (characters < 0) return E_INVALIDARG;
  visibleWidth_ = characters;
  return S_OK;
}

HRESULT CATDialog::SetVisibleTextHeight(int lines) {
  if (lines < 0) return E_INVALIDARG;
  visibleHeight_ = lines;
  return S_OK;
}

HRESULT CATDialog::SetBackgroundColor(int red, int green, int blue) {
  for (int component : {red, green, blue})
    if (component < 0 || component > 255) return E_INVALIDARG;
  background_[0] = red;
  background_[1] = green;
  background_[2] = blue;
  return S_OK;
}

HRESULT CATDialog::GetBackgroundColor(int& red, int& green, int& blue) const {
  if (background_[0] < 0) return S_FALSE;
  red = background_[0];
  green = background_[1];
  blue = background_[2];
  return S_OK;
}

void CATDialog::SetFocus() {
  if (CATDlgDialog* window = GetWindow()) window->SetFocusOn(this);
}

int CATDialog::HasFocus() const {
  CATDlgDialog* window = GetWindow();
  return window && window->GetFocus() == this ? 1 : 0;
}

CATDialog* CATDialog::GetDialogFather() const {
  return dynamic_cast<CATDialog*>(GetFather());
}

CATDlgDialog* CATDialog::GetWindow() const {
  for (const CATDialog* d = this; d; d = d->GetDialogFather())
    if (d->isWindow_) return dynamic_cast<CATDlgDialog*>(const_cast<CATDialog*>(d));
  return nullptr;
}

CATDialog* CATDialog::FindChild(const CATString& path) const {
  const std::string& text = path.str();
  if (text.empty()) return nullptr;
  const CATDialog* current = this;
  size_t start = 0;
  while (current) {
    size_t end = text.find('/', start);
    std::string segment = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (segment.empty()) return nullptr;
    const CATDialog* found = nullptr;
    for (CATCommand* child : current->GetChildren()) {
      auto* d = dynamic_cast<const CATDialog*>(child);
      if (d && d->GetName().str() == segment) {
        found = d;
        break;
      }
    }
    current = found;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return const_cast<CATDialog*>(current);
}

const char* CATDialog::GetResourceFilename(int) {
  return nullptr;
}

void CATDialog::ApplyResourceTexts(CATDialog* owner, const std::string& prefix, bool onlyUnset) {
  struct Field {
    const char* key;
    CATUnicodeString* text;
  } fields[] = {{"Title", &title_}, {"Help", &help_}, {"ShortHelp", &shortHelp_}, {"LongHelp", &longHelp_}};
  for (const Field& field : fields) {
    if (onlyUnset && !field.text->IsNull()) continue;
    const CATString key(prefix + field.key);
    for (int level = 0; level < kMaxResourceLevels; ++level) {
      const char* catalog = owner->GetResourceFilename(level);
      if (!catalog || !*catalog) break;
      if (CATMsgCatalog::HasKey(catalog, key)) {
        *field.text = CATMsgCatalog::BuildMessage(catalog, key);
        break;
      }
    }
  }
}

void CATDialog::LoadResourceTexts() {
  // The nearest container naming a catalog holds the texts; they never come from beyond the window.
  std::string path = GetName().str();
  for (CATDialog* container = GetDialogFather(); container; container = container->GetDialogFather()) {
    const char* catalog = container->GetResourceFilename(0);
    if (catalog && *catalog) {
      ApplyResourceTexts(container, path + ".", false);
      return;
    }
    if (container->isWindow_) return;
    path = container->GetName().str() + "." + path;
  }
}

CATNotification* CATDialog::OwnNotification(const char* kind) {
  for (CATNotification* notification : notifications_)
    if (notification->GetKind() == kind) return notification;
  notifications_.push_back(new CATNotification(kind));
  return notifications_.back();
}

void CATDialog::AppendQuoted(std::string& line, const std::string& utf8) {
  line += '"';
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        line += "\\\"";
        break;
      case '\\':
        line += "\\\\";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      case '\t':
        line += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7f) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02x", c);
          line += hex;
        } else {
          line += static_cast<char>(c);
        }
    }
  }
  line += '"';
}

void CATDialog::DescribeState(std::string&) const {}

void CATDialog::DescribeInto(std::string& out, int depth) const {
  out.append(static_cast<size_t>(depth) * 2, ' ');
  out += GetKindName();
  out += ' ';
  AppendQuoted(out, GetName().str());
  if (!title_.IsNull()) {
    out += " title=";
    AppendQuoted(out, title_.ConvertToUTF8());
  }
  DescribeState(out);
  out += sensitive_ ? " sensitive" : " insensitive";
  if (IsHeldByLock()) out += " locked";
  out += visible_ ? " visible" : " hidden";
  if (HasFocus()) out += " focused";
  out += '\n';
  for (CATCommand* child : GetChildren())
    if (auto* d = dynamic_cast<const CATDialog*>(child)) d->DescribeInto(out, depth + 1);
}

std::string CATDialog::Describe() const {
  std::string out;
  DescribeInto(out, 0);
  return out;
}
