#include <cstring>
#include <limits>

#include "CATBBMessageData.h"

namespace {

uint32_t ReadU32(std::string_view body, size_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<unsigned char>(body[at + i])) << (8 * i);
  return value;
}

// The item at pos: its size to allocate and where its text starts; false when it does not fit the body.
// A size of 1 (an empty text spelt out) is refused: empty texts are written as 0, so each text has one form.
bool ItemAt(std::string_view body, size_t pos, uint32_t* size) {
  if (body.size() - pos < 4) return false;
  *size = ReadU32(body, pos);
  if (*size == 1) return false;
  return *size == 0 || *size - 1 <= body.size() - pos - 4;
}

}  // namespace

bool CATBBEncodeItem(std::string& body, std::string_view text) {
  if (text.size() >= std::numeric_limits<uint32_t>::max()) return false;
  uint32_t size = text.empty() ? 0 : static_cast<uint32_t>(text.size() + 1);
  for (int i = 0; i < 4; ++i) body.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
  body.append(text);
  return true;
}

bool CATBBDecodeItems(std::string_view body, std::vector<std::string>* items) {
  size_t pos = 0;
  while (pos < body.size()) {
    uint32_t size = 0;
    if (!ItemAt(body, pos, &size)) return false;
    size_t textLength = size ? size - 1 : 0;
    if (items) items->emplace_back(body.substr(pos + 4, textLength));
    pos += 4 + textLength;
  }
  return true;
}

HRESULT CATBBStreamerTie::BeginStream() {
  CATBBMessageData& data = message_->Data();
  data.streamed.clear();
  data.streaming = true;
  return S_OK;
}

HRESULT CATBBStreamerTie::StreamString(const char* iText) {
  CATBBMessageData& data = message_->Data();
  if (!data.streaming) return E_FAIL;
  std::string_view text = iText ? std::string_view(iText) : std::string_view();
  if (data.streamed.size() + 4 + text.size() > std::numeric_limits<uint32_t>::max()) return E_FAIL;
  return CATBBEncodeItem(data.streamed, text) ? S_OK : E_FAIL;
}

HRESULT CATBBStreamerTie::EndStream(void** oBuffer, uint32_t* oLength) {
  CATBBMessageData& data = message_->Data();
  if (!oBuffer || !oLength) return E_INVALIDARG;
  *oBuffer = nullptr;
  *oLength = 0;
  if (!data.streaming) return E_FAIL;
  data.streaming = false;
  *oBuffer = data.streamed.data();
  *oLength = static_cast<uint32_t>(data.streamed.size());
  return S_OK;
}

HRESULT CATBBStreamerTie::FreeStreamedBuffer() {
  CATBBMessageData& data = message_->Data();
  data.streaming = false;
  std::string().swap(data.streamed);
  return S_OK;
}

HRESULT CATBBStreamerTie::BeginUnstream(const void* iBuffer, uint32_t iLength) {
  CATBBMessageData& data = message_->Data();
  data.unstreaming = false;
  data.unstreamed.clear();
  data.unstreamPos = 0;
  if (!iBuffer && iLength) return E_FAIL;
  std::string_view body(static_cast<const char*>(iBuffer), iBuffer ? iLength : 0);
  // Checked whole before any item is handed out, so the reads that follow stay inside the buffer.
  if (!CATBBDecodeItems(body, nullptr)) return E_FAIL;
  data.unstreamed.assign(body);
  data.unstreaming = true;
  return S_OK;
}

uint32_t CATBBStreamerTie::GetStringLength() {
  CATBBMessageData& data = message_->Data();
  uint32_t size = 0;
  if (!data.unstreaming || data.unstreamPos >= data.unstreamed.size()) return 0;
  return ItemAt(data.unstreamed, data.unstreamPos, &size) ? size : 0;
}

HRESULT CATBBStreamerTie::UnstreamString(char* oText, uint32_t iSize) {
  CATBBMessageData& data = message_->Data();
  uint32_t size = 0;
  if (!data.unstreaming || data.unstreamPos >= data.unstreamed.size() ||
      !ItemAt(data.unstreamed, data.unstreamPos, &size))
    return E_FAIL;
  if (!oText && iSize) return E_INVALIDARG;
  size_t textLength = size ? size - 1 : 0;
  if (iSize) {
    size_t copied = std::min<size_t>(textLength, iSize - 1);
    if (copied) std::memcpy(oText, data.unstreamed.data() + data.unstreamPos + 4, copied);
    oText[copied] = '\0';
  }
  data.unstreamPos += 4 + textLength;
  return S_OK;
}

HRESULT CATBBStreamerTie::EndUnstream() {
  CATBBMessageData& data = message_->Data();
  if (!data.unstreaming) return E_FAIL;
  data.unstreaming = false;
  std::string().swap(data.unstreamed);
  data.unstreamPos = 0;
  return S_OK;
}
