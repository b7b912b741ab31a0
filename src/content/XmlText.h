#pragma once
// Text of XML parts: character data of the text elements of Office documents (runs joined,
// paragraphs, breaks, tabs and cells turned into one space), all character data of any XML, and
// the decoding of raw part bytes into UTF-16. None of them needs well-formed input.
#include <cstddef>
#include <string>

// Entity names without '&' and ';'. The named five give their character, anything else 0.
char DecodeXmlNamedEntity(const char* name, int length);
// "#123" / "#x7B": the code point as UTF-8 into out (1..4 bytes written); 0 when the name is not a
// valid reference (no digits, a non-digit, the value 0, a surrogate, a value past U+10FFFF or one
// that does not fit in 32 bits).
int DecodeXmlNumericEntity(const char* name, int length, char out[4]);
// The named five, or a numeric reference inside the Basic Multilingual Plane (no surrogates);
// else 0.
wchar_t DecodeXmlNamedEntityW(const std::wstring& name);

bool IsOoxmlTextElement(const char* name, size_t length);
bool IsOoxmlBreakElement(const char* name, size_t length);
bool IsOoxmlTextElementW(const std::wstring& name);
bool IsOoxmlBreakElementW(const std::wstring& name);

// The byte extractors write at most `length` bytes plus a terminating 0 into `out` (room for
// length + 1 bytes) and store the output length.
void XmlToPlainText(const char* in, size_t length, char* out, size_t* outLength);
void OoxmlXmlToText(const char* in, size_t length, char* out, size_t* outLength);
std::wstring OoxmlXmlToTextW(const std::wstring& in);

// Part bytes to UTF-16: a UTF-16 byte-order mark (either order), else UTF-8 (mark skipped), else
// the ANSI code page. False for empty input or when nothing converts.
bool DecodeTextBytes(const unsigned char* bytes, size_t length, std::wstring& out);
