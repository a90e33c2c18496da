#ifndef CATUTF8Codec_h
#define CATUTF8Codec_h
// The one conversion between UTF-8, UTF-16 and code points of the platform, used at every text boundary.
//
// Decoding never fails. An invalid UTF-8 sequence (a byte that cannot start one, a missing continuation
// byte, an overlong form, a surrogate or a value above U+10FFFF) costs one U+FFFD, and decoding resumes at
// the first byte the sequence did not consume: a lead byte with its valid continuation bytes is one
// sequence, so "\xE2\x82X" reads as U+FFFD "X". A lone surrogate in UTF-16, and any value that is not a
// Unicode scalar value given as a code point, is written as U+FFFD.
#include <cstddef>
#include <string>
#include <string_view>

#include "CATSysTSExport.h"

ExportedByCATSysTS std::u16string CATUTF8ToUTF16(std::string_view utf8);
ExportedByCATSysTS std::string CATUTF16ToUTF8(std::u16string_view utf16);
// The length CATUTF8ToUTF16 gives, without building the text.
ExportedByCATSysTS size_t CATUTF16LengthOfUTF8(std::string_view utf8);

ExportedByCATSysTS std::u32string CATUTF16ToUTF32(std::u16string_view utf16);
ExportedByCATSysTS std::u16string CATUTF32ToUTF16(std::u32string_view utf32);

// Appends one code point.
ExportedByCATSysTS void CATAppendUTF8(std::string& out, char32_t codePoint);
ExportedByCATSysTS void CATAppendUTF16(std::u16string& out, char32_t codePoint);

// Strict reading of one UTF-8 sequence at utf8[at]: its length in bytes, or 0 (codePoint unspecified) when
// the bytes there are not a valid sequence; at must be inside the text.
ExportedByCATSysTS size_t CATDecodeUTF8(std::string_view utf8, size_t at, char32_t& codePoint);
// One code point of UTF-16 text at utf16[at]: the number of units it takes (2 for a surrogate pair, else
// 1). A lone surrogate comes back as itself, so callers that must keep it (escaping writers) can.
ExportedByCATSysTS size_t CATDecodeUTF16(std::u16string_view utf16, size_t at, char32_t& codePoint);

#endif
