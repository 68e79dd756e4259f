// The program's message box on Windows.
#pragma once

#include <windows.h>

#include <string>

namespace lumivar::win32 {

// A warning with the program's title. Ctrl+C copies it the way Windows does
// (title, text and button between rules), on systems whose boxes do not.
void showMessage(HWND owner, const std::wstring& text);

} // namespace lumivar::win32
