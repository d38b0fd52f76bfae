#pragma once
// Text conversions between the core's UTF-8, Windows' UTF-16 and the system
// ANSI code page.
#include <string>

namespace tessaly::win32 {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& wide);
std::string utf8_to_acp(const std::string& utf8);  // unmappable characters become '?'
std::string acp_to_utf8(const std::string& bytes);
// The system's text for an error number (trailing line break and period kept
// out); `module` is an HMODULE whose message table is searched first, or null.
std::string error_text(unsigned long code, void* module = nullptr);

}  // namespace tessaly::win32
